// The font dialog of the font button: Qt's font dialog (face, style, size, strike-out and
// underline) with the colour choice the desktop's own font dialog has beside them: the sixteen
// standard colours, and "Авто" for the desktop's text colour.
#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>

class QComboBox;
class QFontDialog;

namespace qm {

// What the operator chose; an invalid colour stands for the desktop's text colour.
struct FontChoice {
  QFont font;
  QColor color;
};

class FontColorDialog : public QDialog {
 public:
  FontColorDialog(const FontChoice& current, QWidget* parent);

  FontChoice Choice() const;
  QComboBox* ColorBox() const { return colors_; }
  QFontDialog* FontPart() const { return fonts_; }

 private:
  QFontDialog* fonts_;
  QComboBox* colors_;
};

}  // namespace qm
