#include "XlsxReader.h"

#include <stdexcept>

#include <QFile>

#include <pugixml.hpp>
#include <zip.h>

using namespace Qt::StringLiterals;

namespace test {

namespace {

QString text(const char* value)
{
    return QString::fromUtf8(value);
}

// A number attribute read with "." as the decimal mark whatever the C locale says (pugixml's own
// reading follows it).
double number(const pugi::xml_attribute& attribute)
{
    return QString::fromUtf8(attribute.value()).toDouble();
}

// Strings keep control characters as "_xHHHH_".
QString unescape(QString value)
{
    for (qsizetype at = value.indexOf(u"_x"_s); at >= 0; at = value.indexOf(u"_x"_s, at + 1)) {
        if (at + 7 <= value.size() && value[at + 6] == u'_') {
            bool ok = false;
            const int code = value.mid(at + 2, 4).toInt(&ok, 16);
            if (ok)
                value.replace(at, 7, QChar(code));
        }
    }
    return value;
}

class Archive
{
public:
    explicit Archive(const QString& fileName)
    {
        int error = 0;
        m_zip = zip_open(QFile::encodeName(fileName).constData(), ZIP_RDONLY, &error);
        if (!m_zip)
            throw std::runtime_error("not a zip archive");
    }
    ~Archive() { zip_close(m_zip); }
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    bool has(const char* name) const { return zip_name_locate(m_zip, name, 0) >= 0; }

    pugi::xml_document xml(const QString& name) const
    {
        const QByteArray entry = name.toUtf8();
        zip_stat_t stat;
        if (zip_stat(m_zip, entry.constData(), 0, &stat) != 0)
            throw std::runtime_error("missing entry " + entry.toStdString());
        QByteArray bytes(static_cast<qsizetype>(stat.size), Qt::Uninitialized);
        zip_file_t* file = zip_fopen(m_zip, entry.constData(), 0);
        if (!file || zip_fread(file, bytes.data(), stat.size) != static_cast<zip_int64_t>(stat.size))
            throw std::runtime_error("cannot read " + entry.toStdString());
        zip_fclose(file);
        pugi::xml_document document;
        if (!document.load_buffer(bytes.constData(), static_cast<size_t>(bytes.size())))
            throw std::runtime_error("bad xml in " + entry.toStdString());
        return document;
    }

private:
    zip_t* m_zip = nullptr;
};

} // namespace

const XlsxSheet& XlsxBook::sheet(const QString& name) const
{
    for (const XlsxSheet& s : sheets) {
        if (s.name == name)
            return s;
    }
    throw std::runtime_error("no sheet " + name.toStdString());
}

const XlsxStyle& XlsxBook::styleOf(const XlsxSheet& s, const QString& cell) const
{
    return styles.at(static_cast<size_t>(s.cells.at(cell).style));
}

XlsxBook readXlsx(const QString& fileName)
{
    const Archive archive(fileName);
    XlsxBook book;

    std::vector<QString> shared;
    book.hasSharedStrings = archive.has("xl/sharedStrings.xml");
    if (book.hasSharedStrings) {
        const pugi::xml_document strings = archive.xml(u"xl/sharedStrings.xml"_s);
        for (const pugi::xml_node si : strings.child("sst").children("si")) {
            QString value;
            for (const pugi::xpath_node t : si.select_nodes(".//t"))
                value += text(t.node().text().get());
            shared.push_back(unescape(value));
        }
    }

    const pugi::xml_document styles = archive.xml(u"xl/styles.xml"_s);
    const pugi::xml_node styleSheet = styles.child("styleSheet");
    std::map<int, QString> numberFormats = {{0, u"General"_s}, {49, u"@"_s}};
    for (const pugi::xml_node format : styleSheet.child("numFmts").children("numFmt"))
        numberFormats[format.attribute("numFmtId").as_int()] = text(format.attribute("formatCode").value());
    std::vector<std::pair<bool, bool>> fonts;
    for (const pugi::xml_node font : styleSheet.child("fonts").children("font"))
        fonts.emplace_back(bool(font.child("b")), bool(font.child("u")));
    for (const pugi::xml_node xf : styleSheet.child("cellXfs").children("xf")) {
        XlsxStyle style;
        const auto font = fonts.at(xf.attribute("fontId").as_uint());
        style.bold = font.first;
        style.underline = font.second;
        const pugi::xml_node alignment = xf.child("alignment");
        style.horizontal = text(alignment.attribute("horizontal").value());
        style.vertical = text(alignment.attribute("vertical").value());
        style.wrap = alignment.attribute("wrapText").as_bool();
        const int id = xf.attribute("numFmtId").as_int();
        style.numberFormat = numberFormats.count(id) ? numberFormats[id] : QString::number(id);
        book.styles.push_back(style);
    }

    const pugi::xml_document workbook = archive.xml(u"xl/workbook.xml"_s);
    book.activeTab =
        workbook.child("workbook").child("bookViews").child("workbookView").attribute("activeTab").as_int();
    const pugi::xml_document relations = archive.xml(u"xl/_rels/workbook.xml.rels"_s);
    for (const pugi::xml_node sheetNode : workbook.child("workbook").child("sheets").children("sheet")) {
        XlsxSheet sheet;
        sheet.name = text(sheetNode.attribute("name").value());
        const char* id = sheetNode.attribute("r:id").value();
        const pugi::xml_node relation = relations.child("Relationships").find_child_by_attribute("Id", id);
        const QString path = u"xl/"_s + text(relation.attribute("Target").value());
        const pugi::xml_document data = archive.xml(path);
        const pugi::xml_node worksheet = data.child("worksheet");

        const pugi::xml_node view = worksheet.child("sheetViews").child("sheetView");
        sheet.tabSelected = view.attribute("tabSelected").as_bool();
        const pugi::xml_node pane = view.child("pane");
        if (pane && text(pane.attribute("state").value()) == u"frozen"_s) {
            sheet.paneTopLeft = text(pane.attribute("topLeftCell").value());
            sheet.frozenRows = pane.attribute("ySplit").as_int();
            sheet.frozenColumns = pane.attribute("xSplit").as_int();
        }
        for (const pugi::xml_node col : worksheet.child("cols").children("col")) {
            for (int c = col.attribute("min").as_int(); c <= col.attribute("max").as_int(); ++c) {
                sheet.columnWidths[c] = number(col.attribute("width"));
                if (col.attribute("style"))
                    sheet.columnStyles[c] = col.attribute("style").as_int();
            }
        }
        for (const pugi::xml_node row : worksheet.child("sheetData").children("row")) {
            XlsxRow rowInfo;
            if (row.attribute("customHeight").as_bool())
                rowInfo.height = number(row.attribute("ht"));
            if (row.attribute("customFormat").as_bool())
                rowInfo.style = row.attribute("s").as_int();
            sheet.rows[row.attribute("r").as_int()] = rowInfo;
            for (const pugi::xml_node c : row.children("c")) {
                XlsxCell cell;
                cell.type = text(c.attribute("t").value());
                cell.style = c.attribute("s").as_int();
                cell.formula = text(c.child("f").text().get());
                if (cell.type == u"s"_s)
                    cell.text = shared.at(c.child("v").text().as_uint());
                else if (cell.type == u"inlineStr"_s)
                    cell.text = unescape(text(c.child("is").child("t").text().get()));
                else
                    cell.text = text(c.child("v").text().get());
                sheet.cells[text(c.attribute("r").value())] = cell;
            }
        }
        const QString relationsPath = path.section(u'/', 0, -2) + u"/_rels/"_s + path.section(u'/', -1) + u".rels"_s;
        std::map<QString, QString> targets;
        if (archive.has(relationsPath.toUtf8().constData())) {
            const pugi::xml_document links = archive.xml(relationsPath);
            for (const pugi::xml_node r : links.child("Relationships").children("Relationship"))
                targets[text(r.attribute("Id").value())] = text(r.attribute("Target").value());
        }
        for (const pugi::xml_node link : worksheet.child("hyperlinks").children("hyperlink"))
            sheet.hyperlinks[text(link.attribute("ref").value())] = targets[text(link.attribute("r:id").value())];
        book.sheets.push_back(std::move(sheet));
    }
    return book;
}

} // namespace test
