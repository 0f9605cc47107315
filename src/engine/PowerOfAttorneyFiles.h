#pragma once

#include <QString>

namespace platform::diadoc {
class DiadocDocument;
class DiadocList;
} // namespace platform::diadoc

namespace platform::family {
class FilesLib;
}

namespace platform::xml {
class XmlNode;
}

namespace engine {

// Removes from a downloaded document's folder the machine-readable powers of attorney (МЧД) that
// the service saved with its content, each with its signature file. A file goes only when its XML
// proves it to be one of the document's own powers of attorney; everything else stays.
class PowerOfAttorneyFiles final
{
public:
    explicit PowerOfAttorneyFiles(const platform::family::FilesLib& files);

    // Removes the recognised files of the download folder and their signatures; answers how many
    // XML files went. The document folder is not used. A document without powers of attorney
    // leaves the folder unread.
    int УдалениеФайловМЧД(const QString& documentFolder, const QString& downloadFolder,
                          platform::diadoc::DiadocDocument& document) const;
    // True when the file is a power of attorney whose number is among the list's registration
    // numbers. A file that cannot be read or is no power of attorney gives false.
    bool ФайлДействительноМЧД(const QString& filePath, const platform::diadoc::DiadocList& powersOfAttorney) const;
    // The attribute's value, or the default when the element has no such attribute.
    static QString GetAttr(const platform::xml::XmlNode& element, const QString& attributeName,
                           const QString& defaultValue);
    // The path with every element step s written as *[local-name()='s'], so that it ignores
    // namespaces; empty steps stay. A non-zero adjustment drops (negative) or adds (positive)
    // empty steps at the end.
    static QString ModifyXPath(const QString& path, int adjustment);

private:
    int removePass(const QString& downloadFolder, const QString& mask, bool xmlSignature,
                   const platform::diadoc::DiadocList& powersOfAttorney) const;
    QString existingSignature(const QString& path) const;

    const platform::family::FilesLib& m_files;
};

} // namespace engine
