#include "ui/window/FontColorDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QVBoxLayout>

namespace qm {
namespace {

struct NamedColor {
  const char* name;
  QRgb rgb;
};

// The standard colours of the desktop's font dialog, in its order.
const NamedColor kColors[] = {
    {"Черный", 0x000000},     {"Бордовый", 0x800000},    {"Зеленый", 0x008000},
    {"Оливковый", 0x808000},  {"Темно-синий", 0x000080}, {"Фиолетовый", 0x800080},
    {"Сине-зеленый", 0x008080}, {"Серый", 0x808080},     {"Серебряный", 0xC0C0C0},
    {"Красный", 0xFF0000},    {"Лайм", 0x00FF00},        {"Желтый", 0xFFFF00},
    {"Синий", 0x0000FF},      {"Фуксия", 0xFF00FF},      {"Морская волна", 0x00FFFF},
    {"Белый", 0xFFFFFF},
};

QIcon Swatch(const QColor& color) {
  QPixmap pixmap(16, 12);
  pixmap.fill(color);
  QPainter painter(&pixmap);
  painter.setPen(Qt::black);
  painter.drawRect(0, 0, pixmap.width() - 1, pixmap.height() - 1);
  return QIcon(pixmap);
}

}  // namespace

FontColorDialog::FontColorDialog(const FontChoice& current, QWidget* parent)
    : QDialog(parent), fonts_(new QFontDialog(current.font, this)), colors_(new QComboBox(this)) {
  setWindowTitle(fonts_->windowTitle());
  // The font dialog lives inside this one; its own buttons give way to this dialog's.
  fonts_->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
  fonts_->setWindowFlags(Qt::Widget);

  colors_->addItem(QStringLiteral("Авто"), QColor());
  for (const NamedColor& c : kColors) {
    const QColor color = QColor::fromRgb(c.rgb);
    colors_->addItem(Swatch(color), QString::fromUtf8(c.name), color);
  }
  int index = colors_->findData(current.color);
  if (index < 0) {
    // A colour of the settings outside the standard ones is offered as it is.
    colors_->addItem(Swatch(current.color), current.color.name(), current.color);
    index = colors_->count() - 1;
  }
  colors_->setCurrentIndex(index);
  // The sample text shows the chosen colour too, as the desktop's own font dialog does; "Авто"
  // gives it back the desktop's text colour.
  if (auto* sample = fonts_->findChild<QLineEdit*>(QStringLiteral("qt_fontDialog_sampleEdit"))) {
    const QPalette plain = sample->palette();
    const auto showColor = [this, sample, plain] {
      QPalette palette = plain;
      const QColor color = colors_->currentData().value<QColor>();
      if (color.isValid()) palette.setColor(QPalette::Text, color);
      sample->setPalette(palette);
    };
    showColor();
    connect(colors_, &QComboBox::currentIndexChanged, sample, showColor);
  }

  auto* colorRow = new QHBoxLayout;
  auto* colorLabel = new QLabel(QStringLiteral("&Цвет:"), this);
  colorLabel->setBuddy(colors_);
  colorRow->addWidget(colorLabel);
  colorRow->addWidget(colors_);
  colorRow->addStretch();

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(fonts_);
  layout->addLayout(colorRow);
  layout->addWidget(buttons);
}

FontChoice FontColorDialog::Choice() const {
  return {fonts_->currentFont(), colors_->currentData().value<QColor>()};
}

}  // namespace qm
