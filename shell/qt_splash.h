#pragma once
// frmSplash: "Пожалуйста ждите..." while the game window loads and its
// outline is cut from the skin.
#include <QFrame>
#include <QLabel>
#include <QWidget>

namespace tumbol {

class frmSplash : public QWidget {
 public:
  frmSplash();

  QFrame* Frame1;             // the gold border around the whole face
  QLabel* imgLogo;            // the game's logo, left of the caption
  QLabel* lblCompanyProduct;  // the caption, in gold
  QLabel* Label1;             // its dark shadow, 3 px right and below, drawn under it

 protected:
  // Repaints at once on activation: the event loop is busy loading then.
  void changeEvent(QEvent* event) override;
};

}  // namespace tumbol
