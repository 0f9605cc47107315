#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include "core/mFetchlingOptions.h"
#include "diadoc/mDiadoc.h"
#include "diadoc/mDiadocStatusTexts.h"
#include "platform/diadoc/DiadocDocument.h"
#include "platform/diadoc/DiadocOrganization.h"
#include "platform/diadoc/SandboxClientFactory.h"
#include "platform/diadoc/SandboxGenerator.h"
#include "platform/diadoc/SandboxLoader.h"
#include "support/TestRegistry.h"

using namespace Qt::StringLiterals;
using diadoc::mDiadoc;
using namespace platform::diadoc;

namespace {

const QString kSample = QStringLiteral(FETCHLING_SAMPLE_SANDBOX);

// The bundled sample, reached as the demo reaches it: through the stored server address.
class SampleSandboxTest : public ::testing::Test
{
protected:
    SampleSandboxTest() { options.Set_DiadocServerURL(QUrl::fromLocalFile(kSample).toString()); }

    qint64 nowMs = 0;
    SandboxClientFactory factory{[this] { return nowMs; }};
    testsupport::TestRegistry registry;
    core::mFetchlingOptions options{registry.utility};
    mDiadoc diadoc{factory, options};
};

TEST_F(SampleSandboxTest, SignsInByLoginAndByCertificate)
{
    options.Set_TypeDiadocAccount(1);
    options.Set_Login(u"buh@romashka.ru"_s);
    options.Set_Password(u"Ромашка2024"_s);
    QString error;
    const auto byLogin = diadoc.GetConnectionDiadocAPIEx(QString(), error);
    ASSERT_TRUE(byLogin) << error.toStdString();
    EXPECT_EQ(byLogin->GetOrganizationList()->Count(), 3);

    options.Set_TypeDiadocAccount(2);
    options.Set_Certificate(u"3F6A1C0B9E2D4F5A6B7C8D9E0F1A2B3C4D5E6F70"_s);
    const auto byCertificate = diadoc.GetConnectionDiadocAPIEx(QString(), error);
    ASSERT_TRUE(byCertificate) << error.toStdString();
    EXPECT_EQ(
        mDiadoc::GetNameCertificate(byCertificate->Certificate()),
        u"Иванов Иван Иванович, 7701234567 - 770101001, ООО «Ромашка» (действителен c 15.01.2024 по 15.04.2025)"_s);
}

TEST_F(SampleSandboxTest, AnAsyncListAndAContentSaveRunToCompletionByPolling)
{
    options.Set_TypeDiadocAccount(1);
    options.Set_Login(u"buh@romashka.ru"_s);
    options.Set_Password(u"Ромашка2024"_s);
    QString error;
    const auto org =
        diadoc.GetConnectionDiadocAPIEx(QString(), error)->GetOrganizationList()->itemAs<DiadocOrganization>(0);
    EXPECT_EQ(org->Departments()->Count(), 2);
    const auto task = org->GetDocumentsTask();
    task->setCategory(u"Any.Inbound"_s);
    task->setTop100(true);
    const auto async = task->GetDocumentsAsync();
    int polls = 1;
    while (!async->IsCompleted())
        ++polls;
    EXPECT_EQ(polls, 2);
    const auto list = async->Result().as<DiadocList>();
    ASSERT_TRUE(list);
    ASSERT_GT(list->Count(), 0);
    EXPECT_LE(list->Count(), 100);

    QTemporaryDir out;
    const auto save = list->itemAs<DiadocDocument>(0)->SaveAllContentZipAsync(out.filePath(u"content.zip"_s));
    while (!save->IsCompleted()) {
    }
    EXPECT_TRUE(save->Result().toBool());
    EXPECT_TRUE(QFile::exists(out.filePath(u"content.zip"_s)));
}

TEST(SandboxGeneratorTest, TheSampleIsWhatTheGeneratorWrites)
{
    QTemporaryDir dir;
    SandboxGenerator::write(dir.path(), {});
    QFile generated(dir.filePath(u"sandbox.json"_s));
    QFile bundled(QDir(kSample).filePath(u"sandbox.json"_s));
    ASSERT_TRUE(generated.open(QIODevice::ReadOnly) && bundled.open(QIODevice::ReadOnly));
    EXPECT_TRUE(generated.readAll() == bundled.readAll());
    const SandboxData sample = SandboxLoader::load(kSample);
    EXPECT_EQ(sample.documents.size(), 300);
    const auto withPowers = std::count_if(sample.documents.cbegin(), sample.documents.cend(),
                                          [](const DocumentData& d) { return d.powersOfAttorney.has_value(); });
    EXPECT_GE(withPowers, 3);
}

// Every status that the service gives is one that the status texts know for the document's type,
// and each type shows more than one of them: the protocols never print a bare status name.
TEST(SandboxGeneratorTest, StatusesAreOnesTheStatusTextsKnowAndVary)
{
    QTemporaryDir other;
    SandboxGenerator::write(other.path(), {2000, 11});
    for (const QString& folder : {kSample, other.path()}) {
        SCOPED_TRACE(folder.toStdString());
        QHash<QString, QSet<QString>> statusesOfType;
        for (const DocumentData& doc : SandboxLoader::load(folder).documents) {
            EXPECT_NE(diadoc::mDiadocStatusTexts::StatusRus(doc.typeNamedId, doc.status, false), doc.status)
                << doc.typeNamedId.toStdString() << ' ' << doc.status.toStdString();
            EXPECT_NE(diadoc::mDiadocStatusTexts::TranslateStatus(doc.revocationStatus), doc.revocationStatus);
            statusesOfType[doc.typeNamedId].insert(doc.status);
        }
        EXPECT_EQ(statusesOfType.size(), 5);
        for (auto it = statusesOfType.cbegin(); it != statusesOfType.cend(); ++it)
            EXPECT_GE(it.value().size(), 4) << it.key().toStdString();
    }
}

TEST(SandboxGeneratorTest, LargeSandboxesFollowTheSeed)
{
    QTemporaryDir a, b;
    SandboxGenerator::write(a.path(), {2000, 7});
    SandboxGenerator::write(b.path(), {2000, 8});
    EXPECT_EQ(SandboxLoader::load(a.path()).documents.size(), 2000);
    EXPECT_NE(SandboxLoader::load(a.path()).documents.first().documentId,
              SandboxLoader::load(b.path()).documents.first().documentId);
}

} // namespace
