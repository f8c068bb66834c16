#include "text/layer_codec.h"

#include <algorithm>
#include <cctype>

namespace zemba {

std::string CodePageName(const std::string& cpg) {
    std::string t;
    for (char c : cpg)
        if (!std::isspace(static_cast<unsigned char>(c))) t += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (t.empty()) return {};
    if (t == "UTF-8" || t == "UTF8") return "UTF-8";
    if (t.rfind("ANSI", 0) == 0) t = t.substr(4);
    if (t.rfind("CP", 0) == 0 && t.size() > 2 && std::isdigit(static_cast<unsigned char>(t[2]))) t = t.substr(2);
    const bool digits = std::all_of(t.begin(), t.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
    if (digits) {
        if (t.rfind("8859", 0) == 0 && t.size() > 4) return "ISO-8859-" + t.substr(4);
        const int n = std::stoi(t.substr(0, 6));
        if (n == 874 || (n >= 1250 && n <= 1258)) return "windows-" + t;
        if (n == 65001) return "UTF-8";
        if (n < 1000) return "IBM" + t;
        return "CP" + t;
    }
    return cpg.substr(0, cpg.find_first_of("\r\n"));
}

LayerCodec::LayerCodec(const std::string& cpg) {
    const std::string name = CodePageName(cpg);
    if (name.empty()) return;
    QStringDecoder probe(name.c_str());
    QStringEncoder probe2(name.c_str());
    if (!probe.isValid() || !probe2.isValid()) return;  // an unknown name: the 8-bit behaviour
    latin1_ = false;
    name_ = name;
}

const LayerCodec& LayerCodec::For(const std::string& cpg) {
    static std::string key;
    static LayerCodec codec;
    if (cpg != key) {
        codec = LayerCodec(cpg);
        key = cpg;
    }
    return codec;
}

QString LayerCodec::ToUnicode(const std::string& bytes) const {
    if (latin1_) return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QStringDecoder d(name_.c_str());
    return d.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

std::string LayerCodec::FromUnicode(const QString& text) const {
    if (latin1_) return text.toLatin1().toStdString();
    QStringEncoder e(name_.c_str());
    QByteArray b = e.encode(text);
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

}  // namespace zemba
