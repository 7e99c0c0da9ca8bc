#include "ui/tables/PluRowEditor.h"

#include "base/Captions.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>

#include "base/Cp1251.h"
#include "base/Dialogs.h"
#include "base/NumberText.h"
#include "base/RunState.h"
#include "base/StatusView.h"
#include "tables/MessageCommands.h"
#include "tables/ModifiedFlags.h"
#include "tables/PluColumns.h"
#include "tables/PluRowRules.h"
#include "tables/PluTable.h"
#include "ui/tables/EditorButtons.h"
#include "ui/window/QtText.h"

namespace qm {
namespace {

const char* const kTagProperty = "Tag";
constexpr int kFieldHeight = 21;

enum CharClass { kAnyText = 0, kDigits = 1, kDigitsAndPoint = 2 };

int TagOf(const QObject* w) {
  return w->property(kTagProperty).toInt();
}
int OrderOf(const QObject* w) {
  return TagOf(w) & 0xFF;
}
int ClassOf(const QObject* w) {
  return (TagOf(w) >> 8) & 0xFF;
}

// The character filter of the fields: Backspace, line feed, DEL and the digits everywhere, "."
// outside the digit-only fields, anything else in text fields only.
bool CharAccepted(int charClass, char16_t c) {
  if (c == 8 || c == 10 || c == 127 || (c >= u'0' && c <= u'9')) return true;
  return c == u'.' ? charClass != kDigits : charClass == kAnyText;
}

QString Lines(const std::vector<std::string>& lines) {
  QStringList out;
  for (const std::string& line : lines) out << ToQString(line);
  return out.join(QLatin1Char('\n'));
}

// The width a borderless field needs to show `text` whole: a field scrolls its text, cutting
// off its start, once the text and the cursor after it are wider than the room within its
// inner margins (2 on either side). Half a digit to spare, so that a larger font, whose glyphs
// round differently, still fits when the field is scaled.
int FieldWidthFor(const QLineEdit* field, const QString& text) {
  const QFontMetrics m = field->fontMetrics();
  return m.horizontalAdvance(text) + 1 + 4 + m.horizontalAdvance(QLatin1Char('0')) / 2;
}

QLabel* Label(QWidget* page, const char* text, int x, int y, int w = -1) {
  auto* label = new QLabel(QString::fromUtf8(text), page);
  label->adjustSize();
  label->move(x, y + (kFieldHeight - label->height()) / 2);
  if (w > 0) label->resize(w, label->height());
  return label;
}

}  // namespace

PluRowEditor::PluRowEditor(QWidget* page, QComboBox* logo, TextGrid& grid, ModifiedFlags& flags,
                           StatusView& status, RunState& state, std::function<Dialogs&()> dialogs,
                           FocusBounce& bounce)
    : QObject(page),
      LogoComboBox(logo),
      page_(page),
      grid_(grid),
      flags_(flags),
      status_(status),
      state_(state),
      dialogs_(std::move(dialogs)),
      bounce_(bounce) {
  Build(page);
  grid_.AddObserver(this);
}

PluRowEditor::~PluRowEditor() {
  grid_.RemoveObserver(this);
}

void PluRowEditor::Attach(PluCommands* commands, MessageCommands* messages,
                          QLineEdit* messageName) {
  commands_ = commands;
  messages_ = messages;
  messageName_ = messageName;
}

void PluRowEditor::Build(QWidget* page) {
  auto field = [&](QLineEdit*& edit, const char* name, int tag, int maxLength, int x, int y, int w,
                   Qt::Alignment align) {
    edit = new QLineEdit(page);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setProperty(kTagProperty, tag);
    edit->setMaxLength(maxLength);
    edit->setFrame(false);
    edit->setAlignment(align);
    edit->setGeometry(x, y, w, kFieldHeight);
    // Pasting through the context menu or dropping text would bypass the character filter of
    // numeric fields; the keys and the middle button go through it.
    if ((tag >> 8) != kAnyText) {
      edit->setContextMenuPolicy(Qt::NoContextMenu);
      edit->setAcceptDrops(false);
    }
    connect(edit, &QLineEdit::textEdited, this, [this] {
      if (!loading_) pluDirty_ = true;
    });
  };
  const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
  const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;

  Label(page, "Номер", 4, 4);
  field(PNMemo, "PNMemo", 257, 4, 48, 4, 40, right);
  Label(page, "Код", 96, 4);
  field(ICMemo, "ICMemo", 258, 6, 122, 4, 56, right);
  Label(page, "Группа", 186, 4);
  field(GCMemo, "GCMemo", 259, 6, 230, 4, 48, right);
  field(INEdit1, "INEdit1", 4, 28, 4, 28, 274, left);
  field(INEdit2, "INEdit2", 5, 28, 4, 52, 274, left);
  // The price row: "Цена", the price, "руб.", "Срок годности" and the shelf life, which may be a
  // date of up to ten characters ("31.12.2025"). It is laid out from the right end of the field
  // column so that the date fits whole; the price gives way as far as its own longest text
  // ("9999.99") allows.
  QLabel* priceLabel = Label(page, "Цена", 4, 76);
  field(UPMemo, "UPMemo", 518, 7, 48, 76, 60, right);
  QLabel* roubles = Label(page, "руб.", 112, 76);
  QLabel* shelfLife = Label(page, "Срок годности", 140, 76);
  field(SLMemo, "SLMemo", 519, 10, 230, 76, 48, right);
  // The row may reach 4 pixels further than the others, up to 4 pixels before the message box.
  constexpr int kGap = 3;
  const int dateWidth = std::max(48, FieldWidthFor(SLMemo, QStringLiteral("31.12.2025")));
  SLMemo->setGeometry(282 - dateWidth, 76, dateWidth, kFieldHeight);
  shelfLife->move(std::min(140, SLMemo->x() - kGap - shelfLife->width()), shelfLife->y());
  roubles->move(std::min(112, shelfLife->x() - kGap - roubles->width()), roubles->y());
  const int priceEnd = roubles->x() - kGap;
  const int priceStart =
      std::max(std::min(48, priceEnd - FieldWidthFor(UPMemo, QStringLiteral("9999.99"))),
               priceLabel->x() + priceLabel->width() + kGap);
  UPMemo->setGeometry(priceStart, 76, priceEnd - priceStart, kFieldHeight);
  Label(page, "Тара", 4, 100);
  field(TWMemo, "TWMemo", 520, 5, 48, 100, 48, right);
  Label(page, "кг.", 100, 100);
  Label(page, "Сообщение №", 140, 100);
  field(MIMemo, "MIMemo", 265, 10, 234, 100, 44, right);

  LogoComboBox->setParent(page);
  LogoComboBox->setProperty(kTagProperty, 10);
  LogoComboBox->setGeometry(4, 124, 120, kFieldHeight);
  LogoComboBox->show();
  Label(page, "Код С О", 130, 124);
  field(SOMemo, "SOMemo", 11, 10, 184, 124, 94, left);

  fields_ = {PNMemo, ICMemo, GCMemo, INEdit1,      INEdit2, UPMemo,
             SLMemo, TWMemo, MIMemo, LogoComboBox, SOMemo};

  const EditorButtonRow buttons{
      {&PLUWrite, &PLUAdd, &PLUIns, &PLUClear, &PLUDel, &PLUCopy, &PLUPaste},
      {"Записать строку   F1", "Добавить строку   (F2)", "Вставить строку   (F3)",
       "Удалить данные в строке   (F4)", "Удалить строку   (F5)", "Скопировать в буфер   (F6)",
       "Вставить из буфера   (F7)"}};
  const std::vector<QPushButton*> made =
      MakeEditorButtons(page, "PLU", buttons, QRect(4, 152, 38, 23), QPoint(40, 0));
  buttons_.insert(buttons_.end(), made.begin(), made.end());
  ConnectEditorButtons(this, made, [this] { return commands_; });

  MsgShowBox = new QGroupBox(QString::fromUtf8("Сообщение отсутствует..."), page);
  MsgShowBox->setObjectName(QStringLiteral("MsgShowBox"));
  MsgShowBox->setGeometry(286, 0, 241, 122);
  MsgShowRichEdit = new QPlainTextEdit(MsgShowBox);
  MsgShowRichEdit->setObjectName(QStringLiteral("MsgShowRichEdit"));
  MsgShowRichEdit->setReadOnly(true);
  MsgShowRichEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
  MsgShowRichEdit->setFocusPolicy(Qt::NoFocus);
  MsgShowRichEdit->setGeometry(6, 18, 229, 98);

  SalesBox = new QGroupBox(QString::fromUtf8("Итог продаж"), page);
  SalesBox->setObjectName(QStringLiteral("SalesBox"));
  SalesBox->setGeometry(286, 124, 241, 52);
  auto total = [&](QLineEdit*& edit, const char* name, int maxLength, int x0, int w,
                   const char* unit) {
    edit = new QLineEdit(SalesBox);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setProperty(kTagProperty, 263);  // shared by the three, not used for input
    edit->setMaxLength(maxLength);
    edit->setReadOnly(true);
    edit->setFrame(false);
    edit->setAlignment(right);
    edit->setFocusPolicy(Qt::NoFocus);
    edit->setGeometry(x0, 22, w, kFieldHeight);
    Label(SalesBox, unit, x0 + w + 2, 22);
  };
  total(CNMemo, "CNMemo", 6, 4, 44, "шт.");
  total(CSMemo, "CSMemo", 9, 74, 62, "руб.");
  total(CWMemo, "CWMemo", 9, 166, 48, "кг.");

  for (QWidget* w : fields_) w->installEventFilter(this);
  for (QWidget* w : buttons_) w->installEventFilter(this);
}

std::vector<QWidget*> PluRowEditor::TabOrder() const {
  std::vector<QWidget*> order = fields_;
  order.insert(order.end(), buttons_.begin(), buttons_.end());
  return order;
}

// ---- Row change, load and store ----

void PluRowEditor::CurrentCellChanged(int, int row) {
  // Moving between the columns of the shown row reloads nothing.
  if (row == shownRow_) return;
  shownRow_ = row;
  if (suppressRowLoad_) return;
  LoadPluRowToEditor(row);
  ShowRowMessage(row);
}

void PluRowEditor::PLUSortGridSelectCell(int column, int row) {
  if (row != grid_.CurrentRow() || column == kForceRefresh) {
    if (suppressRowLoad_) return;
    shownRow_ = row;
    LoadPluRowToEditor(row);
    ShowRowMessage(row);
  }
}

void PluRowEditor::Refresh() {
  PLUSortGridSelectCell(kForceRefresh, grid_.CurrentRow());
}

void PluRowEditor::LoadPluRowToEditor(int row) {
  const Cells& r = grid_.Row(row);
  if (r.size() < static_cast<std::size_t>(kPluColumnCount)) return;
  loading_ = true;
  PNMemo->setText(ToQString(r[kPluNo]));
  INEdit1->setText(ToQString(r[kName1]));
  INEdit2->setText(ToQString(r[kName2]));
  UPMemo->setText(ToQString(r[kPrice]));
  SLMemo->setText(ToQString(r[kShelfLife]));
  TWMemo->setText(ToQString(r[kTare]));
  ICMemo->setText(ToQString(r[kItemCode]));
  GCMemo->setText(ToQString(r[kGroupCode]));
  MIMemo->setText(ToQString(r[kMessageNo]));
  const LogoFields logo = LogoFieldsOf(r[kLogo], LogoComboBox->count());
  if (logo.choice) {
    LogoComboBox->setCurrentIndex(*logo.choice);
    SOMemo->setText(ToQString(logo.code));
  } else {
    SOMemo->clear();  // the selector keeps its choice
  }
  static const std::string kSales = Win1251("Итог продаж");
  std::string caption = kSales;
  if (!r[kSalesStart].empty()) caption += " c " + r[kSalesStart];  // Latin c
  SalesBox->setTitle(ToQString(caption));
  CNMemo->setText(ToQString(r[kSalesCount]));
  CSMemo->setText(ToQString(r[kSalesAmount]));
  CWMemo->setText(ToQString(r[kSalesWeight]));
  loading_ = false;
}

void PluRowEditor::StorePluEditorToRow(int row) {
  const int logo = std::max(0, LogoComboBox->currentIndex());
  const std::string code =
      StoredSoCode(logo, FromQString(SOMemo->text()), state_.CurrentScale.SoCodeLen);
  loading_ = true;
  SOMemo->setText(ToQString(code));
  loading_ = false;

  Cells cells(kPluColumnCount);
  cells[kPluNo] = FromQString(PNMemo->text());
  cells[kName1] = FromQString(INEdit1->text());
  cells[kName2] = FromQString(INEdit2->text());
  cells[kPrice] = FromQString(UPMemo->text());
  cells[kShelfLife] = FromQString(SLMemo->text());
  cells[kTare] = FromQString(TWMemo->text());
  cells[kItemCode] = FromQString(ICMemo->text());
  cells[kGroupCode] = FromQString(GCMemo->text());
  cells[kMessageNo] = FromQString(MIMemo->text());
  cells[kLogo] = LogoCell(logo, code);
  // Sales columns 10..13 stay empty: a written row has no sales totals.
  NormalizePluRow(cells, /*fromMinorUnits=*/false, /*salesNumeric=*/false);
  grid_.SetRow(row, std::move(cells));
}

void PluRowEditor::PLUWriteClick() {
  pluDirty_ = false;
  flags_.MarkModified(true, false);
  StorePluEditorToRow(grid_.CurrentRow());
  Refresh();
  status_.SetStatusText(kPanelPluCount, PluCountText(grid_));
  if (advanceOnWrite_) {
    advanceOnWrite_ = false;
    loading_ = true;
    PNMemo->setText(QString::number(grid_.RowCount()));
    loading_ = false;
    FocusPluField(kPluNo);
  }
}

// ---- Message preview ----

void PluRowEditor::ShowRowMessage(int row) {
  // The preview is on the "Товар" page, and showing it makes the row's message current in the
  // message grid and loads it into the message editor. While another page is shown that would
  // move the message cursor under the operator and replace what the message editor holds
  // (unwritten text, or the name emptied when the row has no message); the page change back to
  // "Товар" force-refreshes the row, which shows the preview then.
  if (!page_->isVisibleTo(page_->window())) return;
  const int number = ParseInt(grid_.Cell(kMessageNo, row)).value_or(0);
  QPalette palette = MsgShowRichEdit->palette();
  if (messages_ && messages_->SelectMessage(number)) {
    // The preview, its caption and the name field were filled by the message commands.
    palette.setColor(QPalette::Base, QApplication::palette().color(QPalette::Base));
  } else {
    MsgShowRichEdit->clear();
    if (messageName_) messageName_->clear();
    palette.setColor(QPalette::Base, QApplication::palette().color(QPalette::Button));
    MsgShowBox->setTitle(QString::fromUtf8("Сообщение отсутствует..."));
  }
  MsgShowRichEdit->setPalette(palette);
}

void PluRowEditor::ShowPreview(const std::vector<std::string>& lines, const std::string& name) {
  MsgShowRichEdit->setPlainText(Lines(lines));
  MsgShowBox->setTitle(ToQString(name));
}

// ---- Focus ----

void PluRowEditor::FocusPluField(int column) {
  static constexpr std::array<int, 9> kFieldOfColumn = {0, 3, 4, 5, 6, 7, 1, 2, 8};
  if (column < 0 || column >= static_cast<int>(kFieldOfColumn.size())) return;
  QWidget* target =
      fields_[static_cast<std::size_t>(kFieldOfColumn[static_cast<std::size_t>(column)])];
  // A field on a hidden page cannot take the focus.
  if (!target->isVisibleTo(target->window())) emit ShowPageRequested();
  target->setFocus(Qt::OtherFocusReason);
}

bool PluRowEditor::InEditorSet(const QWidget* widget) const {
  if (!widget) return false;
  for (const QWidget* f : fields_)
    if (widget == f || f->isAncestorOf(widget)) return true;
  return widget == PLUWrite || widget == PLUAdd || widget == PLUIns || widget == PLUClear ||
         widget == PLUDel || widget == PLUPaste;
}

void PluRowEditor::PLURowEditExit(QWidget* leaving, QWidget* receiving, bool toPluGrid) {
  if (!pluDirty_ || !InEditorSet(leaving) || InEditorSet(receiving)) return;
  static const std::string kText = Win1251("Данные были изменены, сохранить?");
  switch (dialogs_().ShowMessage(
      {kText, kConfirmCaption, DialogIcon::Question, kButtonYes | kButtonNo | kButtonCancel})) {
    case kButtonYes:
      PLUWriteClick();
      bounce_.To(PLUWrite);
      break;
    case kButtonNo:
      pluDirty_ = false;
      if (toPluGrid) bounce_.To(leaving);
      Refresh();
      break;
    default:
      bounce_.To(leaving);
      break;
  }
}

void PluRowEditor::TakeMessageNumber(const std::string& number) {
  loading_ = true;
  MIMemo->setText(ToQString(number));
  loading_ = false;
  pluDirty_ = true;
  suppressRowLoad_ = true;
}

// ---- Keys ----

bool PluRowEditor::eventFilter(QObject* watched, QEvent* event) {
  // The middle button pastes the mouse selection (X11): the same filter as a typed paste.
  if (event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton && watched != LogoComboBox) {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard->supportsSelection() &&
           !PasteAccepted(ClassOf(watched), clipboard->text(QClipboard::Selection));
  }
  if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  auto* widget = static_cast<QWidget*>(watched);
  const bool onButton = std::find(buttons_.begin(), buttons_.end(), widget) != buttons_.end();
  if (event->type() == QEvent::KeyPress && IsEnterKey(*key) && !key->isAutoRepeat()) {
    enterPressedOn_ = onButton ? widget : nullptr;
  }
  if (event->type() == QEvent::KeyPress && StepPageByKey(page_, *key)) return true;
  // PLUKeyDown: F1..F7 from every field and button.
  if (event->type() == QEvent::KeyPress) {
    if (const int code = FunctionKeyCode(*key); code != 0 && commands_) {
      commands_->FunctionKey(code);
      return true;
    }
  }
  if (onButton) return ButtonKey(widget, key);
  if (event->type() == QEvent::KeyPress) return FieldKeyPress(widget, key);
  return false;
}

// Enter on a button clicks it. On Write and Add the click comes with the release of Enter,
// which first sets AdvanceOnWrite, so that this commit returns to PNMemo with the next number.
// Only a release whose press landed on the same button counts: the Enter that ended the Enter
// order in the last field moved the focus here with its press, and its release must leave the
// operator the stop on the button.
bool PluRowEditor::ButtonKey(QWidget* button, QKeyEvent* event) {
  if (!IsEnterKey(*event)) return false;
  auto* push = static_cast<QPushButton*>(button);
  const bool advancing = push == PLUWrite || push == PLUAdd;
  if (event->isAutoRepeat()) return true;
  if (event->type() == QEvent::KeyPress) {
    if (!advancing) push->click();
    return true;
  }
  const bool pressedHere = enterPressedOn_ == push;
  enterPressedOn_ = nullptr;
  if (advancing && pressedHere) {
    advanceOnWrite_ = true;
    push->click();
  }
  return true;
}

// MemoKeyPress: the Enter order, Escape, and the character filter by the field's class.
bool PluRowEditor::FieldKeyPress(QWidget* field, QKeyEvent* event) {
  if (IsTabKey(*event)) return false;  // moves the focus (with Ctrl: the page) as elsewhere
  if (IsEnterKey(*event)) {
    EnterNext(field);
    return true;
  }
  if (field == LogoComboBox) return false;  // every other key goes to the selector untouched
  auto* edit = static_cast<QLineEdit*>(field);
  if (event->key() == Qt::Key_Escape) {
    loading_ = true;
    edit->undo();
    loading_ = false;
    return true;
  }
  const int charClass = ClassOf(field);
  // A paste brings characters as typing does, so it passes the same filter, all or nothing.
  if (event->matches(QKeySequence::Paste)) {
    return !PasteAccepted(charClass, QGuiApplication::clipboard()->text(QClipboard::Clipboard));
  }
  // Ctrl with a key is an editing command (select all, copy, cut, undo, ...), not a character;
  // the field inserts no text for it. Ctrl with Alt is AltGr on some keyboards and types.
  const Qt::KeyboardModifiers mods = event->modifiers();
  if ((mods & Qt::ControlModifier) && !(mods & Qt::AltModifier)) return false;
  const QString text = event->text();
  if (text.isEmpty()) return false;  // editing keys without a character
  const char16_t c = text.at(0).unicode();
  if (!CharAccepted(charClass, c)) return true;  // refused
  pluDirty_ = true;
  return false;
}

bool PluRowEditor::PasteAccepted(int charClass, const QString& text) {
  for (const QChar ch : text) {
    if (!CharAccepted(charClass, ch.unicode())) {
      beep_();
      return false;
    }
  }
  return true;
}

QWidget* PluRowEditor::FieldWithOrder(int order) const {
  for (QWidget* f : fields_)
    if (OrderOf(f) == order) return f;
  return nullptr;
}

// Enter moves the focus as Tab does, and shows it as Tab does: the window draws the focus frame
// (on the logo selector, on Write or Add) only after a move by the keyboard, which Qt notes for
// Tab alone. Without it the operator could not tell whether the next Enter writes or adds.
void PluRowEditor::FocusByEnter(QWidget* target) {
  target->window()->setAttribute(Qt::WA_KeyboardFocusChange);
  target->setFocus(Qt::TabFocusReason);
}

void PluRowEditor::EnterNext(QWidget* field) {
  if (field == LogoComboBox) {
    if (LogoComboBox->currentIndex() > 0) {
      FocusByEnter(SOMemo);
    } else {
      SOMemo->clear();
      FinishStep();
    }
    return;
  }
  if (field == SOMemo) {
    FinishStep();
    return;
  }
  if (QWidget* next = FieldWithOrder(OrderOf(field) + 1)) FocusByEnter(next);
}

// The end of the Enter order: Write when the number typed is the current row's, Add otherwise.
void PluRowEditor::FinishStep() {
  const RowCommit commit =
      EnterEndsOn(FromQString(PNMemo->text()), grid_.Cell(kPluNo, grid_.CurrentRow()));
  FocusByEnter(commit == RowCommit::Write ? PLUWrite : PLUAdd);
}

}  // namespace qm
