#pragma once

#include <memory>

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFocusEvent>
#include <QList>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include "DialogsFixture.h"
#include "core/DocTypesProvider.h"
#include "core/KeyedCollection.h"
#include "dialogs/frmOptions.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace optionstest {

using namespace Qt::StringLiterals;

inline constexpr char16_t kOptionsKey[] = u"Software\\Quorvel Labs\\N7_Fetchling\\Options";

// An organisation with the given document types.
class Organisation final : public core::DocTypesProvider
{
public:
    explicit Organisation(const QList<core::KeyAndName>& types)
    {
        for (const core::KeyAndName& type : types)
            m_types->Add(type, type.Key);
    }
    std::shared_ptr<const core::KeyedCollection<core::KeyAndName>> CollectionDocumentTypes() override
    {
        return m_types;
    }

private:
    std::shared_ptr<core::KeyedCollection<core::KeyAndName>> m_types =
        std::make_shared<core::KeyedCollection<core::KeyAndName>>();
};

class OptionsDialogTest : public ::testing::Test, public dialogstest::DialogsFixture
{
protected:
    template <typename T> T* child(const QString& name) const
    {
        T* found = dialog.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    QCheckBox* box(const QString& name) const;
    QSpinBox* number(const QString& name) const;
    QPushButton* button(const QString& name) const;
    QLineEdit* edit(const QString& name) const;
    QComboBox* combo(int index) const { return dialog.findChild<QComboBox*>(u"theComboBox(%1)"_s.arg(index)); }
    // The texts of the chain's lists that are not hidden, in order.
    QStringList chain() const
    {
        QStringList texts;
        for (int i = 0; QComboBox* list = combo(i); ++i) {
            if (!list->isHidden())
                texts.append(list->currentText());
        }
        return texts;
    }
    // The user picks an item of a list.
    void pick(int index, const QString& text) const
    {
        QComboBox* list = combo(index);
        ASSERT_NE(list, nullptr);
        const int position = list->findText(text, Qt::MatchExactly);
        ASSERT_GE(position, 0) << text.toStdString();
        list->setCurrentIndex(position);
        emit list->activated(position);
    }
    int stored(const QString& name) const
    {
        return registry.utility.RegistryGetLong(QString::fromUtf16(kOptionsKey), name, -12345);
    }
    QByteArray storeFile() const
    {
        QFile file(registry.registry.fileOf(platform::registry::Hive::User));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void execute(const QList<core::DocTypesProvider*>& organisations = {}) { dialog.Execute(organisations); }
    void lose(QWidget* widget) const
    {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(widget, &out);
    }

    QList<QUrl> opened;
    dialogs::frmOptions dialog{ui, options, nullptr, [this](const QUrl& url) { opened.append(url); }};
};

} // namespace optionstest
