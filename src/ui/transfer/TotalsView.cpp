#include "ui/transfer/TotalsView.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "ui/window/QtText.h"

namespace qm {

namespace {

// Design geometry inside a group: caption, field, unit on one row.
constexpr int kFirstRowTop = 18;
constexpr int kRowStep = 21;
constexpr int kRowHeight = 19;

struct RowPlace {
  int captionLeft, captionWidth, fieldLeft, fieldWidth, unitLeft, unitWidth;
};
constexpr RowPlace kSalesRow{8, 142, 152, 76, 230, 32};
constexpr RowPlace kPrinterRow{8, 96, 106, 76, 186, 60};

QLineEdit* AddRow(QGroupBox* box, const RowPlace& place, int index, const char* name,
                  const char* caption, const char* unit) {
  const int top = kFirstRowTop + index * kRowStep;
  auto* label = new QLabel(QString::fromUtf8(caption), box);
  label->setGeometry(place.captionLeft, top, place.captionWidth, kRowHeight);
  label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

  auto* field = new QLineEdit(box);
  field->setObjectName(QString::fromLatin1(name));
  field->setGeometry(place.fieldLeft, top, place.fieldWidth, kRowHeight);
  field->setFrame(false);
  field->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  field->setReadOnly(true);
  field->setFocusPolicy(Qt::ClickFocus);
  label->setBuddy(field);

  if (unit) {
    auto* unitLabel = new QLabel(QString::fromUtf8(unit), box);
    unitLabel->setGeometry(place.unitLeft, top, place.unitWidth, kRowHeight);
    unitLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  }
  return field;
}

}  // namespace

TotalsView::TotalsView(QWidget* page) {
  SalesBox = new QGroupBox(QStringLiteral("Общий итог продаж"), page);
  SalesBox->setObjectName(QStringLiteral("GTBox"));
  SalesBox->setGeometry(4, 2, 268, kFirstRowTop + 8 * kRowStep + 4);
  GTSum = AddRow(SalesBox, kSalesRow, 0, "GTSum", "Общая сумма", "руб.");
  GTSells = AddRow(SalesBox, kSalesRow, 1, "GTSells", "Кол-во продаж", nullptr);
  GTWeight = AddRow(SalesBox, kSalesRow, 2, "GTWeight", "Общий вес", "кг.");
  GTSumPLU = AddRow(SalesBox, kSalesRow, 3, "GTSumPLU", "Сумма по всем PLU", "руб.");
  GTSellsPLU = AddRow(SalesBox, kSalesRow, 4, "GTSellsPLU", "Продаж по всем PLU", nullptr);
  GTWeightPLU = AddRow(SalesBox, kSalesRow, 5, "GTWeightPLU", "Вес по всем PLU", "кг.");
  GTFreePLU = AddRow(SalesBox, kSalesRow, 6, "GTFreePLU", "Свободных PLU", nullptr);
  GTFreeMSG = AddRow(SalesBox, kSalesRow, 7, "GTFreeMSG", "Свободных сообщений", nullptr);

  PrinterBox = new QGroupBox(QStringLiteral("Принтер"), page);
  PrinterBox->setObjectName(QStringLiteral("PrinterBox"));
  PrinterBox->setGeometry(276, 2, 252, kFirstRowTop + 2 * kRowStep + 4);
  GTRun = AddRow(PrinterBox, kPrinterRow, 0, "GTRun", "Общий пробег", "мм.");
  GTLabels = AddRow(PrinterBox, kPrinterRow, 1, "GTLabels", "Израсходовано", "этикеток");
}

void TotalsView::Show(const TotalsPage& totals) {
  SalesBox->setTitle(ToQString(totals.title));
  const std::pair<QLineEdit*, const std::string*> fields[] = {
      {GTSum, &totals.sum},           {GTSells, &totals.sells},
      {GTWeight, &totals.weight},     {GTSumPLU, &totals.sumPlu},
      {GTSellsPLU, &totals.sellsPlu}, {GTWeightPLU, &totals.weightPlu},
      {GTFreePLU, &totals.freePlu},   {GTFreeMSG, &totals.freeMsg},
      {GTRun, &totals.run},           {GTLabels, &totals.labels}};
  for (const auto& [field, text] : fields) field->setText(ToQString(*text));
}

}  // namespace qm
