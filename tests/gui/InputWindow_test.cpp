// The input window driven by keys and clicks, every written line read back
// from the ledger file as bytes.
#include "qt/InputWindow.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "GuiTestSupport.h"
#include "core/common/ApSystem.h"
#include "core/platform/Cp932.h"
#include "qt/ClassificationList.h"
#include "qt/Clock.h"
#include "qt/MaskedEdit.h"
#include "ui_InputWindow.h"

namespace mametan {
namespace {

class InputWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SettingsRecord = TApSystem{};
    SettingsRecord.File_Kakeibo = dir.filePath("kakeibo.csv").toStdString();
    SettingsRecord.File_Kind = dir.filePath("item.txt").toStdString();
    SettingsRecord.Tax = 5;
    SetTodayForTest(QDate(2026, 12, 7));
    form = std::make_unique<Tform_Input>();
    ui = form->ui();
    messages.boxes.clear();  // the missing classification file's warning
    Open();
  }
  void TearDown() override {
    form.reset();
    SettingsRecord = TApSystem{};
  }

  void Open() {
    form->show();
    form->raise();
    form->activateWindow();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  }

  // Types text into the focused control: ASCII by keys, the rest as an input
  // method commit.
  static void Type(QWidget* target, const QString& text) {
    bool ascii = true;
    for (const QChar c : text) ascii = ascii && c.unicode() < 0x80;
    if (ascii) {
      QTest::keyClicks(target, text);
    } else {
      QInputMethodEvent commit;
      commit.setCommitString(text);
      QApplication::sendEvent(target, &commit);
    }
  }
  QLineEdit* KindEdit() const { return ui->cbbox_Kind->lineEdit(); }
  // The control that has the focus; the kind box counts as one control.
  QWidget* Focused() const {
    QWidget* w = QApplication::focusWidget();
    return w == KindEdit() ? ui->cbbox_Kind : w;
  }

  void Fill(const QString& kind, const QString& goods, const QString& price) {
    ui->cbbox_Kind->setFocus();
    KindEdit()->selectAll();
    Type(KindEdit(), kind);
    ui->edt_Goods->setFocus();
    ui->edt_Goods->clear();
    Type(ui->edt_Goods, goods);
    ui->edt_Price->setFocus();
    ui->edt_Price->clear();
    Type(ui->edt_Price, price);
  }
  void PressEnter(QWidget* w = nullptr, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(w ? w : Focused(), Qt::Key_Return, mods);
  }

  QByteArray Ledger() const {
    QFile f(dir.filePath("kakeibo.csv"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  // The ledger's last line, as bytes.
  QByteArray LastLine() const {
    QByteArray all = Ledger();
    if (all.endsWith("\r\n")) all.chop(2);
    return all.mid(all.lastIndexOf("\r\n") < 0 ? 0 : all.lastIndexOf("\r\n") + 2);
  }
  static QByteArray Sjis(const QString& text) {
    return QByteArray::fromStdString(cp932::Encode(text.toStdString()).value());
  }
  QString LastMessage() const {
    return messages.boxes.empty() ? QString() : messages.boxes.back().text;
  }

  test::RecordingMessages messages;
  QTemporaryDir dir;
  std::unique_ptr<Tform_Input> form;
  Ui::Tform_Input* ui = nullptr;
};

TEST_F(InputWindowTest, ShowsTodayEmptyFieldsAndFocusInKind) {
  EXPECT_EQ(form->windowTitle(), "まめたん家計簿 - 入力");
  EXPECT_EQ(form->size(), QSize(345, 161));
  EXPECT_EQ(ui->medt_Date->Text(), "2026/12/07");
  EXPECT_EQ(ui->cbbox_Kind->currentText(), "");
  EXPECT_EQ(ui->edt_Goods->text(), "");
  EXPECT_EQ(ui->edt_Price->text(), "");
  EXPECT_EQ(Focused(), ui->cbbox_Kind);
  EXPECT_EQ(ui->cbbox_Kind->count(), 9) << "the default kinds";
  EXPECT_TRUE(ui->bbtn_Ok->isDefault());
  EXPECT_FALSE(ui->spbtn_Wide->isVisible());
  EXPECT_GE(ui->StringGrid1->y(), form->height()) << "the inert grid lies below the window";
}

TEST_F(InputWindowTest, InputMethodComposesInKindAndGoodsOnly) {
  // Input contexts send keys through the input method by the focus object's
  // ImEnabled answer; a plain line edit answers true whatever its attribute.
  const std::pair<QWidget*, bool> fields[] = {{ui->medt_Date, false},
                                              {ui->cbbox_Kind, true},
                                              {ui->edt_Goods, true},
                                              {ui->edt_Price, false}};
  for (const auto& [field, on] : fields) {
    field->setFocus();
    QInputMethodQueryEvent query(Qt::ImEnabled | Qt::ImHints);
    QApplication::sendEvent(QGuiApplication::focusObject(), &query);
    EXPECT_EQ(query.value(Qt::ImEnabled).toBool(), on) << field->objectName().toStdString();
    EXPECT_EQ((query.value(Qt::ImHints).toInt() & Qt::ImhLatinOnly) != 0, !on);
  }
}

TEST_F(InputWindowTest, OpensItselfAtBootWithTheFileKindsAndAnEmptyKind) {
  form.reset();
  {
    QFile kinds(dir.filePath("item.txt"));
    ASSERT_TRUE(kinds.open(QIODevice::WriteOnly));
    kinds.write(Sjis("食費\r\nfood\r\n"));
  }
  SettingsRecord.OpenWindowAtBoot = true;
  SettingsRecord.SaveWindowPos = true;
  SettingsRecord.InputWindow_Left = 40;
  SettingsRecord.InputWindow_Top = 30;
  form = std::make_unique<Tform_Input>();
  ui = form->ui();
  EXPECT_TRUE(form->isVisible());
  EXPECT_TRUE(messages.boxes.empty());
  EXPECT_EQ(ui->cbbox_Kind->count(), 2);
  EXPECT_EQ(ui->cbbox_Kind->currentText(), "");
  EXPECT_EQ(form->pos(), QPoint(40, 30));
  KindEdit()->setFocus();
  Type(KindEdit(), "FO");
  EXPECT_EQ(KindEdit()->text(), "FO") << "a typed kind is never completed from the list";
  // The date fits its field.
  EXPECT_LE(ui->medt_Date->fontMetrics().horizontalAdvance("2026/12/07"),
            ui->medt_Date->width() - 8);
}

TEST_F(InputWindowTest, ExitBeforeTheWindowWasEverShownKeepsTheStoredState) {
  form.reset();
  SettingsRecord.AutoTax = true;
  SettingsRecord.NextInput = true;
  SettingsRecord.InputWindow_Left = 300;
  SettingsRecord.InputWindow_Top = 200;
  Tform_Input hidden;
  hidden.FormHide();
  EXPECT_TRUE(SettingsRecord.AutoTax);
  EXPECT_TRUE(SettingsRecord.NextInput);
  EXPECT_EQ(SettingsRecord.InputWindow_Left, 300);
  EXPECT_EQ(SettingsRecord.InputWindow_Top, 200);
  // Once shown, the window's own state counts.
  hidden.show();
  hidden.ui()->cb_AutoTax->setChecked(false);
  hidden.FormHide();
  EXPECT_FALSE(SettingsRecord.AutoTax);
}

TEST_F(InputWindowTest, WritesOneLineAsBytesAndHides) {
  ui->medt_Date->SetText("2001/11/29");
  Fill("食費", "牛乳", "100");
  ui->cb_AutoTax->setChecked(true);
  PressEnter();  // OK is the default button
  const QByteArray expected = QByteArray::fromHex(
      "93FA95742C8EED97DE2C8FA49569 96BC2C89BF8A690D0A"
      "323030312F31312F32392C9048 94EF2C8B8D93FB2C3130350D0A");
  EXPECT_EQ(Ledger().toHex(), expected.toHex());
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(SettingsRecord.AutoTax) << "the hide steps copied the tax box";
}

TEST_F(InputWindowTest, PriceTextsFollowTheIntegerRule) {
  for (const QString bad : {"abc", "", " ", "12 ", "1,000", "１２３"}) {
    Fill("食費", "牛乳", bad);
    ui->bbtn_Ok->click();
    EXPECT_EQ(LastMessage(), "価格がありません。") << bad.toStdString();
    EXPECT_EQ(messages.boxes.back().icon, MsgIcon::Exclamation);
    EXPECT_EQ(Focused(), ui->edt_Price) << bad.toStdString();
    EXPECT_TRUE(form->isVisible());
  }
  EXPECT_TRUE(Ledger().isEmpty());

  ui->cb_NextInput->setChecked(true);
  const std::pair<QString, QByteArray> good[] = {{"  12", "12"}, {"+12", "12"},  {"-12", "-12"},
                                                 {"$1F", "31"},  {"0x10", "16"}, {"-300", "-300"}};
  for (const auto& [text, written] : good) {
    Fill("k", "g", text);
    ui->bbtn_Ok->click();
    EXPECT_EQ(LastLine(), "2026/12/07,k,g," + written) << text.toStdString();
  }
}

TEST_F(InputWindowTest, TaxIsAddedAtTheRateOfTheMoment) {
  ui->cb_NextInput->setChecked(true);
  ui->cb_AutoTax->setChecked(true);
  const std::tuple<int, const char*, QByteArray> cases[] = {
      {5, "100", "105"},   {5, "1980", "2079"}, {5, "19", "19"},  {5, "1", "1"},
      {5, "-101", "-106"}, {8, "999", "1078"},  {0, "999", "999"}};
  for (const auto& [tax, price, written] : cases) {
    SettingsRecord.Tax = tax;
    Fill("k", "g", price);
    ui->bbtn_Ok->click();
    EXPECT_EQ(LastLine(), "2026/12/07,k,g," + written) << price << " at " << tax;
    EXPECT_TRUE(ui->cb_AutoTax->isChecked()) << "continued input keeps the box";
  }
}

TEST_F(InputWindowTest, KindsAreWrittenAsTyped) {
  ui->cb_NextInput->setChecked(true);
  Fill("手作りの菓子", "ｸｯｷｰ 〜", "500");
  ui->bbtn_Ok->click();
  EXPECT_EQ(LastLine(), "2026/12/07," + Sjis("手作りの菓子") + "," + Sjis("ｸｯｷｰ ～") + ",500");
  Fill("   ", " ", "1");
  ui->bbtn_Ok->click();
  EXPECT_EQ(LastLine(), "2026/12/07,   , ,1");
  Fill("a,b", "say \"hi\"", "2");
  ui->bbtn_Ok->click();
  EXPECT_EQ(LastLine(), "2026/12/07,\"a,b\",\"say \"\"hi\"\"\",2");
  // Long texts are written whole, also past the toolkit's 32,767 default.
  const QString longGoods(40000, QChar(0x725B));  // 牛 x 40,000
  Fill("k", longGoods, "3");
  ui->bbtn_Ok->click();
  EXPECT_EQ(LastLine(), "2026/12/07,k," + Sjis(longGoods) + ",3");
}

TEST_F(InputWindowTest, ContinuedInputStaysOpenAndClears) {
  ui->cb_NextInput->setChecked(true);
  EXPECT_EQ(ui->bbtn_Cancel->text(), "&Clear");
  ui->cb_AutoTax->setChecked(true);
  Fill("食費", "牛乳", "100");
  ui->bbtn_Ok->click();
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(KindEdit()->text(), "");
  EXPECT_EQ(ui->edt_Goods->text(), "");
  EXPECT_EQ(ui->edt_Price->text(), "");
  EXPECT_EQ(Focused(), ui->cbbox_Kind);
  EXPECT_TRUE(SettingsRecord.AutoTax);
  EXPECT_TRUE(SettingsRecord.NextInput);
}

TEST_F(InputWindowTest, ClearFallsBackToTheStoredBoxes) {
  SettingsRecord.NextInput = false;
  ui->cb_NextInput->setChecked(true);
  Fill("食費", "牛乳", "100");
  ui->bbtn_Cancel->click();  // "&Clear"
  EXPECT_TRUE(form->isVisible());
  EXPECT_FALSE(ui->cb_NextInput->isChecked());
  EXPECT_EQ(ui->bbtn_Cancel->text(), "&Cancel");
  EXPECT_EQ(ui->edt_Goods->text(), "");
}

TEST_F(InputWindowTest, CancelUnticksHoldDateButTheCloseBoxKeepsIt) {
  ui->medt_Date->SetText("2001/11/29");
  ui->cb_HoldDate->setChecked(true);
  form->close();
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(ui->cb_HoldDate->isChecked());
  Open();
  EXPECT_EQ(ui->medt_Date->Text(), "2001/11/29") << "held date kept";

  QTest::keyClick(Focused(), Qt::Key_Escape);  // Cancel
  EXPECT_FALSE(form->isVisible());
  EXPECT_FALSE(ui->cb_HoldDate->isChecked());
  Open();
  EXPECT_EQ(ui->medt_Date->Text(), "2026/12/07");
}

TEST_F(InputWindowTest, ShowingAVisibleWindowKeepsTheHalfTypedEntry) {
  Fill("食費", "牛", "12");
  form->show();
  form->raise();
  EXPECT_EQ(ui->edt_Goods->text(), "牛");
  EXPECT_EQ(ui->edt_Price->text(), "12");
}

TEST_F(InputWindowTest, EmptyDateIsRefused) {
  ui->medt_Date->SetText("");
  Fill("食費", "牛乳", "100");
  PressEnter();
  EXPECT_EQ(LastMessage(), "日付がありません。");
  EXPECT_EQ(Focused(), ui->medt_Date);
  EXPECT_TRUE(Ledger().isEmpty());
}

TEST_F(InputWindowTest, EnterWalksTheFieldsWhenEnterToNextIsSet) {
  SettingsRecord.EnterToNext = true;
  form->hide();
  Open();
  EXPECT_FALSE(ui->bbtn_Ok->isDefault());
  ui->medt_Date->setFocus();
  QWidget* order[] = {ui->cbbox_Kind, ui->edt_Goods,   ui->edt_Price,
                      ui->bbtn_Ok,    ui->bbtn_Cancel, ui->medt_Date};
  for (QWidget* next : order) {
    if (Focused() == ui->bbtn_Ok || Focused() == ui->bbtn_Cancel) {
      QTest::keyClick(Focused(), Qt::Key_Tab);  // Enter on a button presses it
    } else {
      PressEnter();
    }
    EXPECT_EQ(Focused(), next) << next->objectName().toStdString();
  }
  PressEnter(nullptr, Qt::ShiftModifier);
  EXPECT_EQ(Focused(), ui->bbtn_Cancel);
  PressEnter(nullptr, Qt::ShiftModifier);
  EXPECT_EQ(Focused(), ui->bbtn_Ok);

  // Enter from the price moves to OK, a second Enter writes.
  Fill("k", "g", "7");
  PressEnter();
  EXPECT_EQ(Focused(), ui->bbtn_Ok);
  EXPECT_TRUE(Ledger().isEmpty());
  PressEnter();
  EXPECT_EQ(LastLine(), "2026/12/07,k,g,7");
}

TEST_F(InputWindowTest, AltKeysReachEveryControl) {
  const std::pair<Qt::Key, QWidget*> focus[] = {{Qt::Key_G, ui->edt_Goods},
                                                {Qt::Key_P, ui->edt_Price},
                                                {Qt::Key_D, ui->medt_Date},
                                                {Qt::Key_K, ui->cbbox_Kind}};
  for (const auto& [key, target] : focus) {
    QTest::keyClick(form.get(), key, Qt::AltModifier);
    EXPECT_EQ(Focused(), target) << target->objectName().toStdString();
  }
  // Buttons answer their letters with an animated click.
  const auto press = [&](Qt::Key key) {
    QTest::keyClick(form.get(), key, Qt::AltModifier);
    QTest::qWait(300);
  };
  press(Qt::Key_T);
  EXPECT_TRUE(ui->cb_AutoTax->isChecked());
  press(Qt::Key_H);
  EXPECT_TRUE(ui->cb_HoldDate->isChecked());
  press(Qt::Key_N);
  EXPECT_EQ(ui->bbtn_Cancel->text(), "&Clear");
  Fill("k", "g", "5");
  press(Qt::Key_O);
  EXPECT_EQ(LastLine(), "2026/12/07,k,g,5");
  EXPECT_TRUE(form->isVisible()) << "continued input";
  press(Qt::Key_N);
  press(Qt::Key_C);
  EXPECT_FALSE(form->isVisible()) << "Cancel";
}

TEST_F(InputWindowTest, EnterInTheOpenKindListPicksAndMovesOnWithEnterToNext) {
  for (const bool enterToNext : {false, true}) {
    SettingsRecord.EnterToNext = enterToNext;
    ui->cbbox_Kind->setFocus();
    ui->cbbox_Kind->showPopup();
    QAbstractItemView* list = ui->cbbox_Kind->view();
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->isVisible(); }));
    list->setCurrentIndex(list->model()->index(6, 0));  // 食費
    QTest::keyClick(list, Qt::Key_Return);
    QTest::qWait(50);
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(ui->cbbox_Kind->currentText(), "食費");
    // The offscreen platform leaves the window inactive after a popup: ask
    // the window which control holds its focus.
    QWidget* child = form->focusWidget();
    if (child == KindEdit()) child = ui->cbbox_Kind;
    QWidget* expected = enterToNext ? static_cast<QWidget*>(ui->edt_Goods) : ui->cbbox_Kind;
    EXPECT_EQ(child, expected) << enterToNext;
    Open();
    EXPECT_TRUE(Ledger().isEmpty());
  }
}

TEST_F(InputWindowTest, ShiftEnterDoesNothingWithoutEnterToNext) {
  Fill("k", "g", "7");
  PressEnter(ui->edt_Price, Qt::ShiftModifier);
  EXPECT_EQ(Focused(), ui->edt_Price);
  EXPECT_TRUE(form->isVisible());
  EXPECT_TRUE(Ledger().isEmpty());
}

TEST_F(InputWindowTest, FailedWriteKeepsTheEntry) {
  SettingsRecord.File_Kakeibo = dir.filePath("missing/kakeibo.csv").toStdString();
  ui->cb_NextInput->setChecked(true);
  Fill("食費", "牛乳", "100");
  ui->bbtn_Ok->click();
  ASSERT_FALSE(messages.boxes.empty());
  EXPECT_EQ(LastMessage(), "家計簿ファイルが作成できません。");
  EXPECT_EQ(messages.boxes.back().icon, MsgIcon::Stop);
  EXPECT_EQ(KindEdit()->text(), "食費");
  EXPECT_EQ(ui->edt_Goods->text(), "牛乳");
  EXPECT_EQ(ui->edt_Price->text(), "100");

  // Without continued input the window stays open too; the retry succeeds.
  ui->cb_NextInput->setChecked(false);
  ui->bbtn_Ok->click();
  EXPECT_TRUE(form->isVisible());
  SettingsRecord.File_Kakeibo = dir.filePath("kakeibo.csv").toStdString();
  ui->bbtn_Ok->click();
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(LastLine(), "2026/12/07," + Sjis("食費,牛乳") + ",100");
}

TEST_F(InputWindowTest, UnfinishedDayIsRefusedOnOk) {
  ui->medt_Date->SetText("2001/11/");
  Fill("k", "g", "1");
  ui->bbtn_Ok->click();
  ASSERT_FALSE(messages.boxes.empty());
  EXPECT_EQ(messages.boxes.back().caption, "まめたん家計簿");
  EXPECT_TRUE(LastMessage().startsWith("入力値が不正です。エスケープキーで変更を取り消せます"));
  EXPECT_EQ(Focused(), ui->medt_Date);
  EXPECT_EQ(ui->medt_Date->cursorPosition(), 8);
  EXPECT_TRUE(Ledger().isEmpty());

  // The mask lets year and month stay blank: the day is then no day of the
  // calendar, refused by the window's own message.
  ui->medt_Date->SetText("    /  /29");
  ui->bbtn_Ok->click();
  EXPECT_EQ(LastMessage().toStdString(), "日付が正しくありません。");
  EXPECT_EQ(Focused(), ui->medt_Date);
  EXPECT_TRUE(Ledger().isEmpty());
  ui->medt_Date->SetText("2001/11/29");
  ui->bbtn_Ok->click();
  EXPECT_EQ(LastLine(), "2001/11/29,k,g,1");
}

TEST_F(InputWindowTest, TooLargePriceAndUnsavableTextsAreRefused) {
  ui->cb_AutoTax->setChecked(true);
  Fill("k", "g", "2045222522");
  ui->bbtn_Ok->click();
  EXPECT_EQ(LastMessage(), "価格が大きすぎます。");
  EXPECT_EQ(Focused(), ui->edt_Price);

  SettingsRecord.Tax = -5;
  Fill("k", "g", "100");
  ui->bbtn_Ok->click();
  EXPECT_EQ(LastMessage(), "消費税率が正しくありません。0 から 100 の間で設定してください。");
  EXPECT_EQ(Focused(), ui->cb_AutoTax);
  EXPECT_EQ(ui->edt_Goods->text(), "g") << "the entry is kept";

  SettingsRecord.Tax = 5;
  Fill("食費😀", "g", "100");
  ui->bbtn_Ok->click();
  EXPECT_EQ(LastMessage(), "種類名に保存できない文字があります。");
  EXPECT_EQ(Focused(), ui->cbbox_Kind);
  Fill("食費", "한국", "100");
  ui->bbtn_Ok->click();
  EXPECT_EQ(LastMessage(), "商品名に保存できない文字があります。");
  EXPECT_EQ(Focused(), ui->edt_Goods);

  // Raw-byte stand-ins typed, and a listed kind ending in a lone lead byte.
  Fill(QString(QChar(0xF7C1)) + QChar(0xF7E0), "g", "100");
  ui->bbtn_Ok->click();
  EXPECT_EQ(LastMessage(), "種類名に保存できない文字があります。");
  FillKinds(ui->cbbox_Kind, {"\x90\x48\x81"});
  ui->cbbox_Kind->setCurrentIndex(0);
  ui->bbtn_Ok->click();
  EXPECT_EQ(messages.boxes.size(), 6u);
  EXPECT_EQ(LastMessage(), "種類名に保存できない文字があります。");
  EXPECT_TRUE(Ledger().isEmpty());
}

}  // namespace
}  // namespace mametan
