// "Print...": the map bitmap on the current printer.
#pragma once

#include <QImage>

class QPrinter;

namespace zemba {

// Prints `image` as one page on `printer` (already set up by the caller's
// print dialog): double size when that fits the printable area, 1:1 when
// that fits, else half size, centred (PrintPlacement). Returns false when the
// printer could not be started or the image is empty.
bool PrintViewImage(QPrinter& printer, const QImage& image);

}  // namespace zemba
