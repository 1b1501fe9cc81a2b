#include "report/report_document.h"

#include "model/error.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace carexa {

namespace {

constexpr double kFooterPoints = 22;
constexpr double kBodySize = 10;
constexpr double kTableSize = 8.5;
constexpr double kPadPoints = 3.5;
constexpr double kContentsLine = 17;

QString Text(const std::string &text)
{
    return QString::fromStdString(text);
}

QFont Font(double points, bool bold = false, bool italic = false)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    // No shaping: "fi" and "fl" stay two letters, so the text reads back, and is found, as
    // it was written.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

// A cell holding a number ("12.5", "-3", "1.2e+03", "n/a") is set right-aligned.
bool NumericCell(const std::string &text)
{
    if (text == "n/a")
        return true;
    if (text.empty())
        return false;
    const std::size_t i = text.front() == '-' ? 1 : 0;
    return i < text.size() && (std::isdigit(static_cast<unsigned char>(text[i])) != 0)
        && text.find_first_not_of("0123456789.-+e%") == std::string::npos;
}

} // namespace

// Places the blocks on pages; the same walk measures (first) and paints (then).
class ReportDocument::Pager
{
public:
    Pager(QPainter &painter, QPagedPaintDevice &device, bool draw, int firstPage, int pages,
        const std::string &footer)
        : painter_(painter), device_(device), draw_(draw), page_(firstPage), pages_(pages),
          footer_(footer), k_(device.logicalDpiY() / 72.0), width_(device.width()),
          bottom_(device.height() - pt(kFooterPoints))
    { }

    double pt(double points) const { return points * k_; }
    int page() const { return page_; }

    void newPage()
    {
        finishPage();
        if (draw_ && !device_.newPage())
            throw Error("The report could not be written: a new page could not be begun.");
        ++page_;
        y_ = 0;
    }

    void finishPage()
    {
        if (!draw_)
            return;
        painter_.setFont(Font(8));
        painter_.setPen(QPen(Qt::black, pt(0.5)));
        const double top = device_.height() - pt(kFooterPoints * 0.6);
        painter_.drawLine(QPointF(0, top - pt(4)), QPointF(width_, top - pt(4)));
        painter_.drawText(QRectF(0, top, width_, pt(12)), Qt::AlignLeft | Qt::AlignTop, Text(footer_));
        painter_.drawText(QRectF(0, top, width_, pt(12)), Qt::AlignRight | Qt::AlignTop,
            QStringLiteral("Page %1 of %2").arg(page_).arg(pages_));
    }

    // Moves to a new page unless `height` fits below the current line.
    void ensure(double height)
    {
        if (y_ > 0 && y_ + height > bottom_)
            newPage();
    }

    double textHeight(const QFont &font, const std::string &text, double width,
        int flags = Qt::TextWordWrap) const
    {
        const QFontMetricsF metrics(font, &device_);
        return metrics.boundingRect(QRectF(0, 0, width, 1e9), flags | Qt::AlignLeft, Text(text))
            .height();
    }

    void text(const QFont &font, const std::string &text, double before, double after,
        double keepWithNext = 0)
    {
        const double height = textHeight(font, text, width_);
        y_ += y_ > 0 ? pt(before) : 0;
        ensure(height + keepWithNext);
        if (draw_) {
            painter_.setFont(font);
            painter_.setPen(Qt::black);
            painter_.drawText(QRectF(0, y_, width_, height), Qt::TextWordWrap | Qt::AlignLeft, Text(text));
        }
        y_ += height + pt(after);
    }

    void heading(const Block &block, std::vector<ContentsEntry> &contents)
    {
        const bool section = block.kind == Kind::Section;
        if (section && y_ > 0)
            newPage();
        const QFont font = Font(section ? 15 : 11.5, true);
        text(font, block.number + "  " + block.text, section ? 0 : 10, section ? 10 : 5, pt(60));
        contents.push_back({block.number, block.text, page_});
    }

    void figure(const Block &block)
    {
        const QFont font = Font(9, false, true);
        const std::string caption = block.number + ": " + block.text;
        const double captionHeight = textHeight(font, caption, width_);
        const double height = pt(block.height);
        y_ += y_ > 0 ? pt(8) : 0;
        ensure(height + captionHeight + pt(4));
        if (draw_) {
            painter_.save();
            painter_.setFont(Font(kBodySize));
            block.draw(painter_, QRectF(0, y_, width_, height));
            painter_.restore();
        }
        y_ += height + pt(4);
        text(font, caption, 0, 8);
    }

    void table(const Block &block)
    {
        const ReportTable &table = block.table;
        const QFont font = Font(kTableSize);
        const QFont bold = Font(kTableSize, true);
        const QFont captionFont = Font(9, false, true);
        const QFontMetricsF metrics(font, &device_);
        const QFontMetricsF boldMetrics(bold, &device_);
        const std::size_t columns = table.headings.size();

        // Natural widths (every cell on one line), shrunk toward the least widths (numbers and
        // words kept whole) when the table is wider than the text.
        std::vector<double> widths(columns, 0);
        std::vector<double> least(columns, 0);
        const auto longestWord = [](const QFontMetricsF &m, const std::string &text) {
            double widest = 0;
            for (const QString &word : Text(text).split(QLatin1Char(' ')))
                widest = std::max(widest, m.horizontalAdvance(word));
            return widest;
        };
        for (std::size_t c = 0; c < columns; ++c) {
            widths[c] = boldMetrics.horizontalAdvance(Text(table.headings[c]));
            least[c] = longestWord(boldMetrics, table.headings[c]);
            for (const auto &row : table.rows) {
                if (c >= row.size())
                    continue;
                const double w = metrics.horizontalAdvance(Text(row[c]));
                widths[c] = std::max(widths[c], w);
                least[c] = std::max(least[c], NumericCell(row[c]) ? w : longestWord(metrics, row[c]));
            }
            widths[c] += 2 * pt(kPadPoints) + 1;
            least[c] += 2 * pt(kPadPoints) + 1;
        }
        double total = 0, leastTotal = 0;
        for (std::size_t c = 0; c < columns; ++c) {
            total += widths[c];
            leastTotal += least[c];
        }
        if (total > width_) {
            const double share = leastTotal < width_ ? (width_ - leastTotal) / (total - leastTotal) : 0;
            for (std::size_t c = 0; c < columns; ++c)
                widths[c] = least[c] + (widths[c] - least[c]) * share;
        }

        double tableWidth = 0;
        for (double w : widths)
            tableWidth += w;

        const auto rowHeight = [&](const std::vector<std::string> &cells, const QFont &f) {
            double height = 0;
            for (std::size_t c = 0; c < columns && c < cells.size(); ++c)
                height = std::max(height, textHeight(f, cells[c], widths[c] - 2 * pt(kPadPoints)));
            return height + 2 * pt(kPadPoints);
        };
        const auto drawRow = [&](const std::vector<std::string> &cells, const QFont &f,
                                 double height, bool heading) {
            if (!draw_)
                return;
            painter_.setFont(f);
            if (heading)
                painter_.fillRect(QRectF(0, y_, tableWidth, height), QColor(0xE6, 0xE6, 0xE6));
            painter_.setPen(Qt::black);
            double x = 0;
            for (std::size_t c = 0; c < columns && c < cells.size(); ++c) {
                const bool right = !heading && c > 0 && !cells[c].empty() && NumericCell(cells[c]);
                const QRectF cell(x + pt(kPadPoints), y_ + pt(kPadPoints),
                    widths[c] - 2 * pt(kPadPoints), height - 2 * pt(kPadPoints));
                painter_.drawText(cell,
                    Qt::TextWordWrap | Qt::AlignVCenter | (right ? Qt::AlignRight : Qt::AlignLeft),
                    Text(cells[c]));
                x += widths[c];
            }
        };
        const auto rule = [&](double width) {
            if (draw_) {
                painter_.setPen(QPen(Qt::black, pt(width)));
                painter_.drawLine(QPointF(0, y_), QPointF(tableWidth, y_));
            }
        };

        const double headingHeight = rowHeight(table.headings, bold);
        const double firstRow = table.rows.empty() ? 0 : rowHeight(table.rows.front(), font);
        const auto start = [&](bool continued) {
            const std::string caption
                = block.number + (continued ? " (continued)" : "") + ": " + block.text;
            text(captionFont, caption, continued ? 0 : 8, 3, headingHeight + firstRow);
            rule(0.8);
            drawRow(table.headings, bold, headingHeight, true);
            y_ += headingHeight;
            rule(0.5);
        };
        start(false);
        for (const auto &row : table.rows) {
            const double height = rowHeight(row, font);
            if (y_ + height > bottom_) {
                rule(0.8);
                newPage();
                start(true);
            }
            drawRow(row, font, height, false);
            y_ += height;
        }
        rule(0.8);
        y_ += pt(8);
    }

private:
    QPainter &painter_;
    QPagedPaintDevice &device_;
    bool draw_;
    int page_;
    int pages_;
    const std::string &footer_;
    double k_;
    double width_;
    double bottom_;
    double y_ = 0;
};

void ReportDocument::setTitlePage(
    std::string title, std::vector<std::pair<std::string, std::string>> lines)
{
    title_ = std::move(title);
    titleLines_ = std::move(lines);
}

void ReportDocument::section(const std::string &title)
{
    subsections_ = 0;
    blocks_.push_back({.kind = Kind::Section, .text = title, .number = std::to_string(++sections_)});
}

void ReportDocument::subsection(const std::string &title)
{
    blocks_.push_back({.kind = Kind::Subsection,
        .text = title,
        .number = std::to_string(sections_) + "." + std::to_string(++subsections_)});
}

void ReportDocument::paragraph(const std::string &text)
{
    blocks_.push_back({.kind = Kind::Paragraph, .text = text});
}

void ReportDocument::note(const std::string &text)
{
    blocks_.push_back({.kind = Kind::Note, .text = text});
}

void ReportDocument::table(ReportTable table)
{
    Block block {.kind = Kind::Table, .text = table.caption,
        .number = "Table " + std::to_string(++tables_)};
    block.table = std::move(table);
    blocks_.push_back(std::move(block));
}

void ReportDocument::figure(const std::string &caption, double heightPoints, FigureDrawing draw)
{
    blocks_.push_back({.kind = Kind::Figure,
        .text = caption,
        .number = "Figure " + std::to_string(++figures_),
        .height = heightPoints,
        .draw = std::move(draw)});
}

std::vector<std::string> ReportDocument::sectionTitles() const
{
    std::vector<std::string> titles;
    for (const Block &block : blocks_) {
        if (block.kind == Kind::Section)
            titles.push_back(block.text);
    }
    return titles;
}

void ReportDocument::walk(Pager &pager, std::vector<ContentsEntry> &contents) const
{
    for (const Block &block : blocks_) {
        switch (block.kind) {
        case Kind::Section:
        case Kind::Subsection:
            pager.heading(block, contents);
            break;
        case Kind::Paragraph:
            pager.text(Font(kBodySize), block.text, 5, 0);
            break;
        case Kind::Note:
            pager.text(Font(kBodySize, false, true), block.text, 5, 0);
            break;
        case Kind::Table:
            pager.table(block);
            break;
        case Kind::Figure:
            pager.figure(block);
            break;
        }
    }
}

int ReportDocument::paint(QPagedPaintDevice &device) const
{
    QPainter painter;
    if (!painter.begin(&device))
        throw Error("The report could not be written: its pages could not be begun.");
    painter.setRenderHint(QPainter::Antialiasing);
    const double k = device.logicalDpiY() / 72.0;
    const double bottom = device.height() - kFooterPoints * k;
    const int contentsPerPage = std::max(1, static_cast<int>((bottom - 40 * k) / (kContentsLine * k)));

    // Measure: the pages of the body for as many contents pages as its entries need.
    int contentsPages = 1;
    int pages = 0;
    for (;;) {
        contents_.clear();
        Pager pager(painter, device, false, 2 + contentsPages, 0, footer_);
        walk(pager, contents_);
        pages = pager.page();
        const int needed = std::max(1,
            (static_cast<int>(contents_.size()) + contentsPerPage - 1) / contentsPerPage);
        if (needed == contentsPages)
            break;
        contentsPages = needed;
    }

    // The title page.
    Pager title(painter, device, true, 1, pages, footer_);
    const double width = device.width();
    painter.setPen(Qt::black);
    painter.setFont(Font(22, true));
    const QRectF titleRect(0, 120 * k, width, 120 * k);
    painter.drawText(titleRect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, Text(title_));
    double y = 300 * k;
    const QFont label = Font(kBodySize, true);
    const QFont value = Font(kBodySize);
    const double labelWidth = 175 * k;
    for (const auto &[name, text] : titleLines_) {
        // Sentences break between words, a fingerprint (one long word) anywhere.
        const int wrap = text.find(' ') != std::string::npos ? Qt::TextWordWrap : Qt::TextWrapAnywhere;
        const double height
            = std::max(title.textHeight(value, text, width - labelWidth, wrap), 14 * k);
        painter.setFont(label);
        painter.drawText(QRectF(0, y, labelWidth, height), Qt::AlignLeft | Qt::AlignTop, Text(name));
        painter.setFont(value);
        painter.drawText(QRectF(labelWidth, y, width - labelWidth, height),
            Qt::AlignLeft | Qt::AlignTop | wrap, Text(text));
        y += height + 4 * k;
    }

    // The contents.
    title.newPage();
    Pager contents(painter, device, true, 2, pages, footer_);
    painter.setFont(Font(15, true));
    painter.drawText(QRectF(0, 0, width, 30 * k), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("Contents"));
    y = 40 * k;
    int onPage = 0;
    for (const ContentsEntry &entry : contents_) {
        if (onPage == contentsPerPage) {
            contents.newPage();
            y = 0;
            onPage = 0;
        }
        const bool sub = entry.number.find('.') != std::string::npos;
        painter.setFont(Font(kBodySize, !sub));
        const double indent = sub ? 18 * k : 0;
        const QRectF line(indent, y, width - indent, kContentsLine * k);
        painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, Text(entry.number + "   " + entry.text));
        painter.drawText(line, Qt::AlignRight | Qt::AlignVCenter, QString::number(entry.page));
        y += kContentsLine * k;
        ++onPage;
    }

    // The body.
    contents.newPage();
    Pager body(painter, device, true, 2 + contentsPages, pages, footer_);
    std::vector<ContentsEntry> again;
    walk(body, again);
    body.finishPage();
    painter.end();
    return pages;
}

} // namespace carexa
