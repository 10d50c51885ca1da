// Tests of the row store and the item lists of the statement buffers.
#include "cs3base/record_buffer.h"

#include <gtest/gtest.h>

#include <string>

#include "cs3base/field_value.h"
#include "cs3base/number_value.h"
#include "util/nu_string.h"

TEST(RecordItemList, AppendSetRemove) {
    CS3ItemList list;
    EXPECT_EQ(-99, AppendItem(list, nullptr, "x", kItemText));
    ASSERT_EQ(0, AppendItem(list, "ID", "1", kItemNumber));
    ASSERT_EQ(0, AppendItem(list, "ID", "2", kItemNumber));
    ASSERT_EQ(0, SetItem(list, "ID", "9", kItemText));
    ASSERT_EQ(2u, list.size());
    EXPECT_EQ("9", list[0].value);
    EXPECT_EQ(kItemText, list[0].kind);
    EXPECT_EQ("2", list[1].value);
    ASSERT_EQ(0, SetItem(list, "Name", nullptr, kItemText));
    EXPECT_EQ("", list[2].value);
    EXPECT_EQ(0, RemoveItem(list, "ID"));
    EXPECT_EQ(-110, RemoveItem(list, "Missing"));
    ASSERT_EQ(2u, list.size());
    EXPECT_EQ("2", list[0].value);

    std::string longName(100, 'n');
    AppendItem(list, longName.c_str(), "v", kItemText);
    EXPECT_EQ(63u, list[2].name.size());
    EXPECT_NE(nullptr, list.Find(longName.c_str()));
}

TEST(RecordData, SetColumnCreatesRowAndHonoursSkipEmpty) {
    CS3Data data;
    EXPECT_EQ(0, data.RowCount());
    ASSERT_EQ(0, data.SetColumn("A", "", true));
    ASSERT_EQ(1, data.RowCount());
    EXPECT_EQ("1", data.FirstRowPtr()->name);
    EXPECT_EQ(0, data.ColumnCount());
    ASSERT_EQ(0, data.SetColumn("A", "x", true));
    ASSERT_EQ(0, data.SetColumn("A", "", true));
    ASSERT_EQ(1, data.ColumnCount());
    EXPECT_EQ(1, data.FirstRowPtr()->columns[0].isNull);
    ASSERT_EQ(0, data.SetColumnInt("N", 42));
    EXPECT_EQ(kItemNumber, data.FirstRowPtr()->columns[1].kind);
    EXPECT_EQ("42", data.FirstRowPtr()->columns[1].value);
    EXPECT_EQ(-99, data.SetColumn(nullptr, "x", false));
}

TEST(RecordData, TypedSettersSetKinds) {
    CS3Data data;
    CS3String text(20);
    text.Set("v");
    data.SetColumnParam("P", text);
    data.SetColumnNumber("N", text);
    data.SetColumnFixed2("F2", text);
    data.SetColumnFixed3("F3", text);
    const CS3ItemList& columns = data.FirstRowPtr()->columns;
    EXPECT_EQ(kItemParam, columns[0].kind);
    EXPECT_EQ(kItemNumber, columns[1].kind);
    EXPECT_EQ(kItemFixed2, columns[2].kind);
    EXPECT_EQ(kItemFixed3, columns[3].kind);

    AppIntPositive positive;
    ASSERT_EQ(0, data.SetColumnPositive("Empty", positive));
    positive.Set("17");
    ASSERT_EQ(0, data.SetColumnPositive("Full", positive));
    CS3Item* empty = data.FirstRowPtr()->columns.Find("Empty");
    ASSERT_NE(nullptr, empty);
    EXPECT_EQ(kItemText, empty->kind);
    EXPECT_EQ("", empty->value);
    EXPECT_EQ(kItemNumber, data.FirstRowPtr()->columns.Find("Full")->kind);
}

TEST(RecordData, StatementBufferKeepsEmptyValuesAndDropsCarriageReturns) {
    CS3DataDB buffer;
    ASSERT_EQ(0, buffer.SetColumn("Empty", "", true));
    ASSERT_EQ(0, buffer.SetColumn("Memo", "a\r\nb\rc", true));
    const CS3ItemList& columns = buffer.FirstRowPtr()->columns;
    ASSERT_EQ(2u, columns.size());
    EXPECT_EQ(0, columns[0].isNull);
    EXPECT_EQ("a\nbc", columns[1].value);
}

TEST(RecordData, ReadsColumnsAndWalksRowsAndColumns) {
    CS3Data data;
    data.AddRow("r1");
    data.SetColumn("ID", "7", false);
    data.SetColumn("Name", "first", false);
    data.AddRow("r2");
    data.SetColumn("ID", "8", false);
    data.SetColumn("_lastid", "8", false);

    CS3String field(32);
    ASSERT_EQ(0, data.FirstRow());
    EXPECT_EQ(0, data.GetColumn("Missing", field));
    EXPECT_STREQ("", field.Value());
    ASSERT_EQ(0, data.GetColumn("Name", field));
    EXPECT_STREQ("first", field.Value());
    ASSERT_EQ(0, data.FirstColumn());
    int value = 0;
    ASSERT_EQ(0, data.CurrentColumnInt(&value));
    EXPECT_EQ(7, value);
    ASSERT_EQ(0, data.NextColumn());
    NUString name;
    ASSERT_EQ(0, data.CurrentColumn(&name, field));
    EXPECT_STREQ("Name", name.Get());
    EXPECT_EQ(-110, data.NextColumn());
    EXPECT_EQ(-110, data.CurrentColumnInt(&value));

    ASSERT_EQ(0, data.NextRow());
    ASSERT_EQ(0, data.GetColumn("_lastid", field));
    EXPECT_TRUE(data.IsLastIdColumn());
    EXPECT_EQ(-110, data.NextRow());
    EXPECT_EQ(-1, data.ApplyToRow([](CS3DataRow&) { return 0; }));
    data.FirstRow();
    EXPECT_EQ(5, data.ApplyToRow([](CS3DataRow& row) { return row.name == "r1" ? 5 : 0; }));

    EXPECT_EQ(1, data.FindRow("r2", 0));
    EXPECT_EQ(0, data.FindRow("r2", -1));
    EXPECT_EQ(-110, data.FindRow("r2", 1));
    EXPECT_EQ(-110, data.FindRow("none", 0));
}

TEST(RecordData, SubItemsAvoidDuplicatesOnRequest) {
    CS3Data data;
    int added = 0;
    ASSERT_EQ(0, data.AddSubItem("5", true, &added));
    EXPECT_EQ(1, added);
    ASSERT_EQ(0, data.AddSubItem("5", true, &added));
    EXPECT_EQ(0, added);
    ASSERT_EQ(0, data.AddSubItem("5", false, &added));
    EXPECT_EQ(1, added);
    ASSERT_EQ(2u, data.FirstRowPtr()->subItems.size());
    EXPECT_EQ("_item", data.FirstRowPtr()->subItems[0].name);
    EXPECT_EQ(-99, data.AddSubItem(nullptr, false, nullptr));
}

TEST(RecordData, SortAndMoveRows) {
    CS3Data data;
    const char* names[] = {"b", "c", "a"};
    const char* seq[] = {"2", "1", "2"};
    for (int i = 0; i < 3; ++i) {
        data.AddRow(names[i]);
        data.SetColumn("SEQ", seq[i], false);
        data.SetColumn("Name", names[i], false);
    }
    AppendItem(data.OrderList(), "SEQ", "1", kItemText);
    AppendItem(data.OrderList(), "Name", "-1", kItemText);
    ASSERT_EQ(0, data.SortRows());
    std::string order;
    for (int rc = data.FirstSortedRow(); rc == 0; rc = data.NextSortedRow()) {
        order += data.CurrentRow()->name;
    }
    EXPECT_EQ("cba", order);

    // Unsorted walks follow the insertion order; MoveRow reorders it.
    CS3Data plain;
    for (const char* n : names) plain.AddRow(n);
    plain.FirstRow();
    ASSERT_EQ(0, plain.MoveRow(5));
    order.clear();
    for (int rc = plain.FirstSortedRow(); rc == 0; rc = plain.NextSortedRow()) {
        order += plain.CurrentRow()->name;
    }
    EXPECT_EQ("cab", order);
}

TEST(RecordData, StatementBufferParts) {
    CS3DataDB buffer;
    buffer.SetTable(std::string(3000, 't').c_str());
    EXPECT_EQ(2047u, std::string(buffer.Table()).size());
    AppendItem(buffer.EqList(), "A", "1", kItemNumber);
    AppendItem(buffer.OrderList(), "A", "1", kItemText);
    AppendItem(buffer.SelectList(), "A", "", kItemText);
    buffer.SetGroupBy("A");
    ASSERT_EQ(0, buffer.ClearStatement());
    EXPECT_TRUE(buffer.EqList().empty());
    EXPECT_TRUE(buffer.OrderList().empty());
    EXPECT_TRUE(buffer.SelectList().empty());
    EXPECT_EQ("", buffer.GroupBy());
    EXPECT_EQ(-1000024, buffer.Unsupported());
}
