#include "report/report.h"

#include "model/error.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QFile>
#include <QLocale>
#include <QPageLayout>
#include <QPdfWriter>

namespace carexa {

namespace {

constexpr double kMarginMillimetres = 20;
constexpr int kReportResolution = 1200; // device units per inch: fine enough for every line

} // namespace

QByteArray ReportPdf(const ReportDocument &report, ReportPaper paper, const std::string &title,
    const std::string &author, int *pages)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    pdf.setPdfVersion(QPagedPaintDevice::PdfVersion_A1b);
    pdf.setResolution(kReportResolution);
    pdf.setPageLayout(QPageLayout(
        QPageSize(paper == ReportPaper::Letter ? QPageSize::Letter : QPageSize::A4),
        QPageLayout::Portrait,
        QMarginsF(kMarginMillimetres, kMarginMillimetres, kMarginMillimetres, kMarginMillimetres),
        QPageLayout::Millimeter));
    pdf.setTitle(QString::fromStdString(title));
    pdf.setCreator(QString::fromStdString(author.empty() ? std::string("Carexa") : author));
    const int painted = report.paint(pdf);
    if (pages)
        *pages = painted;
    return bytes;
}

ReportPaper LocalePaper()
{
    const QLocale::Territory territory = QLocale().territory();
    return territory == QLocale::UnitedStates || territory == QLocale::Canada ? ReportPaper::Letter
                                                                               : ReportPaper::A4;
}

std::string FileSha256(const std::filesystem::path &path)
{
    QFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        return {};
    return hash.result().toHex().toStdString();
}

} // namespace carexa
