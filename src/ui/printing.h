#pragma once

#include "ui/picture_export.h"
#include "ui/user_dialogs.h"

#include <QString>

class QPagedPaintDevice;
class QPrinter;

namespace carexa {

/// Draws pages first..last of `document` as one job on `device` (a printer or PDF writer):
/// the page layout is scaled to the printable area, keeping its proportions, so it fits any
/// resolution and paper size. A page whose drawing throws ends the job; the error goes on.
void PrintPages(QPagedPaintDevice &device, const PrintDocument &document, int first, int last);

/// Prints pages first..last of `document` into the PDF file chosen for `printer` (its output
/// file name), with its page layout and resolution. The file is written as every output file
/// is: complete or not at all; throws Error with the reason when it cannot be.
void PrintToPdfFile(const QPrinter &printer, const PrintDocument &document, int first, int last);

/// The page range the print dialog left on `printer`, within 1..pages.
void ChosenRange(const QPrinter &printer, int pages, int &first, int &last);

/// Draws one picture laid out in `layoutWidth` x `layoutHeight` units into a file of
/// `choice.width` x `choice.height` (pixels for PNG and SVG, points for PDF), centred and scaled
/// to fit, as RenderPicture does. The file appears complete or not at all. Throws Error when its
/// extension is not .png, .svg or .pdf, or when it cannot be written (saying why).
void ExportPicture(const ImageExport &choice, int layoutWidth, int layoutHeight,
    const std::function<void(Canvas &canvas)> &draw);

} // namespace carexa
