#pragma once

#include <functional>

#include <QString>
#include <QStringList>

#include "engine/ProtocolSource.h"

namespace engine {
class Fetchling;
class ProtocolFolders;
} // namespace engine

namespace run {

struct Services;

// The protocols of a finished or stopped run, as the options choose them: the HTML page, the
// Excel workbook (made here, filled by the engine) and the CSV file, all in the run's folder
// under one base name; and the end message that lists them.
class Protocols final
{
public:
    using RowsOf = std::function<engine::SummaryRows(const QString& kind)>;

    struct Written
    {
        QString folder;           // where the protocols went, with its closing "/"
        QStringList files;        // full names of the files written, HTML, Excel, CSV
        QStringList failed;       // full names of the protocols that could not be written
        bool excelFilled = false; // the workbook was filled without an error text
        bool excelSaved = false;
        QString excelFile; // the saved workbook's full name
        // A filled workbook that the run's folder did not take, saved under its own name in the
        // first fallback folder that took it; empty when none did (or none was needed).
        QString excelKeptFile;
    };

    explicit Protocols(const Services& services);

    // Writes the chosen protocols of the engine's run into its folder (the fallback folder when
    // the run handed no node over); the workbook is left out when excelWanted, asked once the HTML
    // protocol is done, says no.
    Written write(engine::Fetchling& engine, const QString& fallbackFolder, const std::function<bool()>& excelWanted,
                  const RowsOf& rows);

    // "Выгрузка документов завершена." or "… прервана.", the protocol files written and those that
    // could not be written.
    static QString endMessage(const QString& endText, const Written& written);
    // What the end message adds about a workbook that was filled but not saved in the run's
    // folder: where it was kept instead, or that it could not be kept.
    static QString unsavedWorkbookText(const Written& written);
    // Where a workbook goes that the run's folder does not take: the system's temporary folder,
    // then the user's home.
    static QStringList fallbackFolders();

private:
    // The names of one run's protocols: the stem and each protocol's extension, numbered " (2)",
    // " (3)" … when an earlier run left a protocol of that stem in the folder.
    class Names final
    {
    public:
        Names(const QString& folder, const QString& stem);
        QString file(const QString& extension) const;

    private:
        QString m_folder;
        QString m_stem;
        int m_copy = 1;
    };

    bool writeExcel(engine::Fetchling& engine, const Names& names, const RowsOf& rows, engine::ProtocolFolders& folders,
                    Written& written);

    const Services& m_services;
};

} // namespace run
