#pragma once

#include <QRectF>

#include <functional>
#include <string>
#include <utility>
#include <vector>

class QPainter;
class QPagedPaintDevice;

namespace carexa {

/// A table of a report: a caption and rows of cell texts under one heading row. Cells that hold
/// a number (or "n/a") are set right-aligned, others left-aligned.
struct ReportTable
{
    std::string caption {};
    std::vector<std::string> headings {};
    std::vector<std::vector<std::string>> rows {};
};

/// Draws a figure into `area` (device units of the page).
using FigureDrawing = std::function<void(QPainter &painter, const QRectF &area)>;

/// One entry of the table of contents.
struct ContentsEntry
{
    std::string number; ///< "3" or "3.2"
    std::string text;
    int page = 0;
};

/// A report laid out on pages: a title page, the table of contents, then numbered sections with
/// paragraphs, numbered and captioned tables and figures, and "Page n of N" on every page.
/// Everything is text or vector drawing on the page, never a picture of text. Pages flow: a
/// section starts on a new page, a table too long for a page continues on the next with its
/// heading row repeated, a figure that does not fit moves to the next page whole.
class ReportDocument
{
public:
    /// The title page: a title and the lines under it, as pairs of label and value.
    void setTitlePage(std::string title, std::vector<std::pair<std::string, std::string>> lines);
    /// The text at the foot of every page, before the page number.
    void setFooter(std::string footer) { footer_ = std::move(footer); }

    /// A new section, numbered 1, 2, ... in the table of contents; it starts on a new page.
    void section(const std::string &title);
    /// A subsection, numbered 1.1, 1.2, ... in the table of contents.
    void subsection(const std::string &title);
    void paragraph(const std::string &text);
    /// A paragraph set in italics: what is missing or how to read what follows.
    void note(const std::string &text);
    /// A numbered table ("Table 3: caption").
    void table(ReportTable table);
    /// A numbered figure ("Figure 2: caption") `heightPoints` high across the text width.
    void figure(const std::string &caption, double heightPoints, FigureDrawing draw);

    /// Paints the report on `device` (a QPdfWriter or a printer), which must have its page size,
    /// margins and resolution set; returns the pages painted. Throws Error when the device
    /// cannot be painted on.
    int paint(QPagedPaintDevice &device) const;

    /// The table of contents of the last paint.
    const std::vector<ContentsEntry> &contents() const { return contents_; }
    /// The section titles in order.
    std::vector<std::string> sectionTitles() const;

private:
    enum class Kind { Section, Subsection, Paragraph, Note, Table, Figure };
    struct Block
    {
        Kind kind;
        std::string text {}; ///< title, paragraph or caption
        std::string number {}; ///< "3", "3.1", "Table 4", "Figure 2"
        ReportTable table {};
        double height = 0; ///< of a figure, in points
        FigureDrawing draw {};
    };
    class Pager;
    void walk(Pager &pager, std::vector<ContentsEntry> &contents) const;

    std::string title_;
    std::vector<std::pair<std::string, std::string>> titleLines_;
    std::string footer_;
    std::vector<Block> blocks_;
    int sections_ = 0;
    int subsections_ = 0;
    int tables_ = 0;
    int figures_ = 0;
    mutable std::vector<ContentsEntry> contents_;
};

} // namespace carexa
