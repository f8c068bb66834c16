// Printing the database window's records: text lines on a printer or into
// a PDF file, one job page a device page.
#pragma once

#include <QFont>
#include <string>

#include "attributes/database.h"
#include "text/layer_codec.h"

class QPagedPaintDevice;

namespace zemba {

// Paints the job; a job page taller than the device page runs on to the
// next. Returns the number of device pages painted (0 when the device
// cannot be painted on).
int PaintPrintJob(const PrintJob& job, QPagedPaintDevice& device, const QFont& font, const LayerCodec& codec);

// The job as a PDF file at `path` (portrait, titled with the table's name).
bool PrintJobToPdf(const PrintJob& job, const std::string& path, const QFont& font, const LayerCodec& codec);

}  // namespace zemba
