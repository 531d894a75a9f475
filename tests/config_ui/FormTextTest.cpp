// The textual form description: the whole grammar read, written back, and
// broken texts refused with the line named.
#include "config_ui/uFormText.h"

#include <gtest/gtest.h>

#include "common/Error.h"
#include "common/Limits.h"

namespace qv {
namespace {

using K = TFormValue::TKind;

const TFormProperty& Prop(const TFormObject& o, const std::string& name) {
  for (const TFormProperty& p : o.properties)
    if (p.name == name) return p;
  throw std::runtime_error("no property " + name);
}

std::string ErrorOf(const std::string& text) {
  try {
    ReadFormText(text);
  } catch (const EQVError& e) {
    return e.what();
  }
  return "(read without error)";
}

constexpr char kFull[] =
    "object MainWindow: TfmForm\r\n"
    "  Left = -12\r\n"
    "  Top = $1F\r\n"
    "  Color = $00FF8000\r\n"
    "  BorderIcons = [biSystemMenu, biMinimize]\r\n"
    "  Font.Name = 'MS Sans Serif'\r\n"
    "  Font.Style = []\r\n"
    "  Scale = 1.25\r\n"
    "  Caption = 'It''s '#13#10'mine' +\r\n"
    "    ' and more'#$41\r\n"
    "  object Label1: TLabel\r\n"
    "    Caption = ''\r\n"
    "    Visible = False\r\n"
    "  end\r\n"
    "  object TTimer\r\n"
    "    Interval = 500\r\n"
    "  end\r\n"
    "  object Memo1: TMyMemo\r\n"
    "    Lines.Strings = (\r\n"
    "      'one'\r\n"
    "      'two' +\r\n"
    "      ' halves'\r\n"
    "      3)\r\n"
    "    Empty = ()\r\n"
    "  end\r\n"
    "  object Image1: TImage\r\n"
    "    Picture.Data = {\r\n"
    "      07 54 42 69 74\r\n"
    "      6d61 70}\r\n"
    "    Nothing = {}\r\n"
    "  end\r\n"
    "  Columns = <\r\n"
    "    item\r\n"
    "      Width = 40\r\n"
    "      Inner = <\r\n"
    "        item\r\n"
    "          Tag = 1\r\n"
    "        end>\r\n"
    "    end\r\n"
    "    item\r\n"
    "    end>\r\n"
    "  None = <>\r\n"
    "end\r\n";

TEST(FormText, ReadsEveryKindOfValueObjectsWithAndWithoutNamesAndDottedNames) {
  const TFormObject form = ReadFormText(kFull);
  EXPECT_EQ(form.name, "MainWindow");
  EXPECT_EQ(form.className, "TfmForm");
  EXPECT_EQ(Prop(form, "Left").value.integer, -12);
  EXPECT_EQ(Prop(form, "Top").value.integer, 0x1F);
  EXPECT_EQ(Prop(form, "Color").value.integer, 0x00FF8000);
  const TFormValue& icons = Prop(form, "BorderIcons").value;
  EXPECT_EQ(icons.kind, K::Set);
  EXPECT_EQ(icons.set, (std::vector<std::string>{"biSystemMenu", "biMinimize"}));
  EXPECT_TRUE(Prop(form, "Font.Style").value.set.empty());
  EXPECT_EQ(Prop(form, "Font.Name").value.text, "MS Sans Serif");
  EXPECT_EQ(Prop(form, "Scale").value.kind, K::Float);
  EXPECT_DOUBLE_EQ(Prop(form, "Scale").value.number, 1.25);
  // Doubled quotes, character codes (decimal and hex) and "+" across lines.
  EXPECT_EQ(Prop(form, "Caption").value.text, "It's \r\nmine and moreA");
  EXPECT_EQ(Prop(form, "Caption").line, 9);

  ASSERT_EQ(form.children.size(), 4u);
  EXPECT_EQ(form.children[0].name, "Label1");
  EXPECT_EQ(Prop(form.children[0], "Caption").value.text, "");
  EXPECT_EQ(Prop(form.children[0], "Visible").value.kind, K::Identifier);
  EXPECT_EQ(Prop(form.children[0], "Visible").value.text, "False");
  EXPECT_EQ(form.children[1].name, "");
  EXPECT_EQ(form.children[1].className, "TTimer");
  EXPECT_EQ(form.children[1].line, 15);

  const TFormValue& lines = Prop(form.children[2], "Lines.Strings").value;
  ASSERT_EQ(lines.kind, K::List);
  ASSERT_EQ(lines.list.size(), 3u);
  EXPECT_EQ(lines.list[0].text, "one");
  EXPECT_EQ(lines.list[1].text, "two halves");
  EXPECT_EQ(lines.list[2].integer, 3);
  EXPECT_TRUE(Prop(form.children[2], "Empty").value.list.empty());

  const TFormValue& data = Prop(form.children[3], "Picture.Data").value;
  EXPECT_EQ(data.kind, K::Binary);
  EXPECT_EQ(data.bytes, (std::vector<uint8_t>{7, 'T', 'B', 'i', 't', 'm', 'a', 'p'}));
  EXPECT_TRUE(Prop(form.children[3], "Nothing").value.bytes.empty());

  const TFormValue& columns = Prop(form, "Columns").value;
  ASSERT_EQ(columns.kind, K::Collection);
  ASSERT_EQ(columns.items.size(), 2u);
  EXPECT_EQ(columns.items[0].properties[0].value.integer, 40);
  EXPECT_EQ(columns.items[0].properties[1].value.items[0].properties[0].value.integer, 1);
  EXPECT_TRUE(columns.items[1].properties.empty());
  EXPECT_TRUE(Prop(form, "None").value.items.empty());
}

TEST(FormText, QuotedTextThatIsNotUtf8IsReadAsWindowsText) {
  const TFormObject o = ReadFormText("object A: TLabel\nCaption = 'Caf\xE9 \x80'\nHint = 'Caf\xC3\xA9'\nend");
  EXPECT_EQ(Prop(o, "Caption").value.text, "Caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(Prop(o, "Hint").value.text, "Caf\xC3\xA9");
}

TEST(FormText, WhatIsWrittenReadsBackTheSame) {
  const TFormObject form = ReadFormText(kFull);
  const std::string text = WriteFormText(form);
  const TFormObject again = ReadFormText(text);
  EXPECT_EQ(WriteFormText(again), text);
  EXPECT_EQ(Prop(again, "Caption").value.text, "It's \r\nmine and moreA");
  EXPECT_EQ(Prop(again.children[3], "Picture.Data").value.bytes.size(), 8u);
  EXPECT_EQ(Prop(again, "Columns").value.items.size(), 2u);
  // Long data goes over several lines.
  TFormObject big;
  big.className = "TImage";
  big.Set("Picture.Data", TFormValue::Data(std::vector<uint8_t>(100, 0xAB)));
  const std::string written = WriteFormText(big);
  EXPECT_GE(std::count(written.begin(), written.end(), '\n'), 5);
  EXPECT_EQ(Prop(ReadFormText(written), "Picture.Data").value.bytes, std::vector<uint8_t>(100, 0xAB));
}

TEST(FormText, BrokenTextsAreRefusedWithTheirLine) {
  EXPECT_EQ(ErrorOf("object A: TLabel\r\n  Caption = 'open\r\nend"), "line 2: unterminated string");
  EXPECT_EQ(ErrorOf("object A: TImage\n Picture.Data = {\n 0A0\n }\nend"),
            "line 4: the binary data has an odd number of hex digits");
  EXPECT_EQ(ErrorOf("object A: TImage\n Picture.Data = {0A0G}\nend"),
            "line 2: expected hex digits in binary data, found \"G\"");
  EXPECT_EQ(ErrorOf("object A: TImage\n Picture.Data = {0A00"), "line 2: the binary data has no \"}\"");
  EXPECT_EQ(ErrorOf("object A: TForm\n  object B: TLabel\n  Left = 1\n"), "line 2: the object B has no \"end\"");
  EXPECT_EQ(ErrorOf("object A: TForm\n  Left 1\nend"), "line 2: expected \"=\" after Left, found \"1\"");
  EXPECT_EQ(ErrorOf("object A: TForm\n  Left = )\nend"), "line 2: expected a value, found \")\"");
  EXPECT_EQ(ErrorOf("object A: TForm\nend\nobject B: TForm\nend"), "line 3: text after the end of the object A");
  EXPECT_EQ(ErrorOf("  \r\n"), "line 2: the description is empty");
  EXPECT_EQ(ErrorOf("object A: TForm\n S = [a, b\nend"), "line 3: expected \",\" or \"]\" in a set, found \"e\"");
  EXPECT_EQ(ErrorOf("object A: TForm\n L = ('a'\nend"), "line 2: the list has no \")\"");
  EXPECT_EQ(ErrorOf("object A: TForm\n C = <item\n"), "line 2: the collection item has no \"end\"");
  EXPECT_EQ(ErrorOf("object A: TForm\n N = 99999999999999999999\nend"),
            "line 2: the number 999999999999999999... is too large");
  EXPECT_EQ(ErrorOf("object A: TForm\n S = 'a' +\nend"), "line 3: expected a string after \"+\", found \"e\"");
  EXPECT_EQ(ErrorOf(std::string("object A: TForm\n X = \x01\nend")), "line 2: expected a value, found character 1");
}

TEST(FormText, NestingAndValueCountsAreBounded) {
  std::string deep;
  for (int i = 0; i < 100; ++i) deep += "object A: TPanel\n";
  for (int i = 0; i < 100; ++i) deep += "end\n";
  EXPECT_EQ(ErrorOf(deep), "line 33: nested more than 32 levels deep");
  std::string lists = "object A: TForm\n L = " + std::string(10000, '(') + "\nend";
  EXPECT_EQ(ErrorOf(lists), "line 2: nested more than 32 levels deep");
  std::string many = "object A: TForm\n L = (";
  for (size_t i = 0; i <= kMaxFormValues; ++i) many += "1 ";
  many += ")\nend";
  EXPECT_EQ(ErrorOf(many), "line 2: more than " + std::to_string(kMaxFormValues) + " values");
}

TEST(FormText, ErrorsNameTheLineOfTheFileTheTextCameFrom) {
  const std::vector<int> numbers = {40, 41, 45};
  try {
    ReadFormText("object A: TLabel\nLeft = 1\nCaption = 'x", &numbers);
    FAIL();
  } catch (const EQVError& e) {
    EXPECT_STREQ(e.what(), "line 45: unterminated string");
  }
  const TFormObject o = ReadFormText("object A: TLabel\nLeft = 1\nend", &numbers);
  EXPECT_EQ(o.line, 40);
  EXPECT_EQ(o.properties[0].line, 41);
}

}  // namespace
}  // namespace qv
