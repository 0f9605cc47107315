#include <gtest/gtest.h>

#include "core/KeyedCollection.h"

using namespace Qt::StringLiterals;
using core::KeyedCollection;

TEST(KeyedCollection, KeepsOrderAndFindsKeysWithoutRegardToCase)
{
    KeyedCollection<QString> classes;
    classes.Add(u"Входящий"_s, u"Inbound"_s);
    classes.Add(u"Исходящий"_s, u"Outbound"_s);
    classes.Add(u"без ключа"_s);
    classes.Add(u"Внутренний"_s, u"Internal"_s);

    EXPECT_EQ(classes.Count(), 4);
    EXPECT_EQ(classes.Item(u"inbound"_s), u"Входящий"_s);
    EXPECT_EQ(classes.Item(3), u"без ключа"_s);
    EXPECT_EQ(classes.Item(4), u"Внутренний"_s);
    EXPECT_EQ(classes.KeyAt(2), u"Outbound"_s);
    QStringList order;
    for (const QString& item : classes)
        order.append(item);
    EXPECT_EQ(order, (QStringList{u"Входящий"_s, u"Исходящий"_s, u"без ключа"_s, u"Внутренний"_s}));
}

TEST(KeyedCollection, RefusesADuplicateKeyAndKeepsWhatItHas)
{
    KeyedCollection<int> types;
    types.Add(1, u"Nonformalized"_s);
    try {
        types.Add(2, u"NONFORMALIZED"_s);
        FAIL() << "a duplicate key must be refused";
    } catch (const core::Error& e) {
        EXPECT_EQ(e.number(), 457);
    }
    EXPECT_EQ(types.Count(), 1);
    EXPECT_EQ(types.Item(u"Nonformalized"_s), 1);
}

TEST(KeyedCollection, FailedLookupsRaiseAndRemovalKeepsKeysValid)
{
    KeyedCollection<int> list;
    list.Add(10, u"a"_s);
    list.Add(20, u"b"_s);
    list.Add(30, u"c"_s);
    EXPECT_THROW(list.Item(u"x"_s), core::Error);
    EXPECT_THROW(list.Item(QString()), core::Error);
    EXPECT_THROW(list.Item(0), core::Error);
    EXPECT_THROW(list.Item(4), core::Error);
    EXPECT_EQ(list.find(u"x"_s), nullptr);

    list.Remove(u"A"_s);
    EXPECT_EQ(list.Item(u"c"_s), 30);
    EXPECT_EQ(list.Item(1), 20);
    list.Remove(2);
    EXPECT_FALSE(list.Contains(u"c"_s));
    EXPECT_EQ(list.Count(), 1);
}
