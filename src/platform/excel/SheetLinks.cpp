#include "SheetLinks.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

#include <QDir>
#include <QFile>

#include <xlsxwriter.h>

#include "base/Error.h"
#include "base/FailureTexts.h"
#include "base/LinkAddress.h"

using namespace Qt::StringLiterals;

namespace platform::excel {

namespace {

// libxlsxwriter's form of an attribute value.
QByteArray attributeText(const QByteArray& text)
{
    QByteArray escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

struct FreeDeleter
{
    void operator()(char* text) const { std::free(text); }
};

[[noreturn]] void raiseWriteFailure(const QFile& file)
{
    if (file.error() == QFileDevice::ResourceError)
        throw core::Error(core::failure::kDiskFullNumber, QString::fromUtf16(core::failure::kDiskFull));
    throw core::Error(core::failure::kPathFileAccessNumber, QString::fromUtf16(core::failure::kFileWriteError),
                      file.fileName() + u": "_s + file.errorString());
}

} // namespace

bool SheetLinks::takes(const QString& address)
{
    // Well within both the 255 characters of older spreadsheets and libxlsxwriter's own limit.
    constexpr qsizetype kMaxLength = 255;
    static const QString schemes[] = {u"http://"_s, u"https://"_s, u"ftp://"_s, u"ftps://"_s, u"mailto:"_s};
    const bool web = std::any_of(std::begin(schemes), std::end(schemes),
                                 [&](const QString& scheme) { return address.startsWith(scheme); });
    const QString target = core::LinkAddress::encoded(address);
    if (!web || target.size() > kMaxLength || target.contains(u'#'))
        return false;
    const QByteArray utf8 = target.toUtf8();
    const std::unique_ptr<char, FreeDeleter> escaped(lxw_escape_url_characters(utf8.constData(), LXW_FALSE));
    return escaped && utf8 == escaped.get();
}

SheetLinks::SheetLinks(const QString& folder, int sheet)
    : m_sheet(sheet)
    , m_element(std::make_unique<QFile>(QDir(folder).filePath(u"hyperlinks%1.xml"_s.arg(sheet))))
    , m_relationships(std::make_unique<QFile>(QDir(folder).filePath(u"sheet%1.xml.rels"_s.arg(sheet))))
{
    for (QFile* file : {m_element.get(), m_relationships.get()}) {
        if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate))
            raiseWriteFailure(*file);
    }
    write(*m_element, "<hyperlinks>");
    write(*m_relationships, "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                            "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">");
}

SheetLinks::~SheetLinks() = default;

void SheetLinks::add(int row, int column, const QString& address)
{
    char cell[LXW_MAX_CELL_NAME_LENGTH];
    lxw_rowcol_to_cell(cell, static_cast<lxw_row_t>(row - 1), static_cast<lxw_col_t>(column - 1));
    const QByteArray id = "rId" + QByteArray::number(++m_count);
    write(*m_element, "<hyperlink ref=\"" + QByteArray(cell) + "\" r:id=\"" + id + "\"/>");
    write(*m_relationships, "<Relationship Id=\"" + id
                                + "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
                                  "hyperlink\" Target=\""
                                + attributeText(core::LinkAddress::encoded(address).toUtf8())
                                + "\" TargetMode=\"External\"/>");
}

void SheetLinks::finish()
{
    write(*m_element, "</hyperlinks>");
    write(*m_relationships, "</Relationships>");
    for (QFile* file : {m_element.get(), m_relationships.get()}) {
        if (!file->flush())
            raiseWriteFailure(*file);
        file->close();
    }
}

QString SheetLinks::elementFile() const
{
    return m_element->fileName();
}

QString SheetLinks::relationshipsFile() const
{
    return m_relationships->fileName();
}

QString SheetLinks::sheetPart(int sheet)
{
    return u"xl/worksheets/sheet%1.xml"_s.arg(sheet);
}

QString SheetLinks::relationshipsPart(int sheet)
{
    return u"xl/worksheets/_rels/sheet%1.xml.rels"_s.arg(sheet);
}

void SheetLinks::write(QFile& file, const QByteArray& bytes)
{
    if (file.write(bytes) != bytes.size())
        raiseWriteFailure(file);
}

} // namespace platform::excel
