// Layer text meets people and other files here: the store keeps the file's
// bytes, and labels, windows, print and exports show and take them in the
// layer's encoding (its .cpg file; Latin-1 without one).
#pragma once

#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>
#include <string>

namespace zemba {

// The encoding name a .cpg text stands for ("UTF-8", "1252" ->
// "windows-1252", "88591" -> "ISO-8859-1", ...); empty for none.
std::string CodePageName(const std::string& cpg);

class LayerCodec {
public:
    explicit LayerCodec(const std::string& cpg = {});
    QString ToUnicode(const std::string& bytes) const;
    std::string FromUnicode(const QString& text) const;
    bool IsLatin1() const { return latin1_; }
    // The codec of a .cpg text, kept from the last call (labels ask for it
    // once per shape). For the user-interface thread.
    static const LayerCodec& For(const std::string& cpg);

private:
    bool latin1_ = true;
    std::string name_;
};

}  // namespace zemba
