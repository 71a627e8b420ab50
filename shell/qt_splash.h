#pragma once
// frmSplash: "Пожалуйста ждите..." while the game window loads.
#include <QFrame>
#include <QLabel>
#include <QWidget>

namespace tumbol {

class frmSplash : public QWidget {
 public:
  frmSplash();
  QFrame* Frame1;
  QLabel* imgLogo;
  QLabel* lblCompanyProduct;  // the caption's shadow
  QLabel* Label1;             // the caption, 3 px right of and below its shadow

 protected:
  void changeEvent(QEvent* event) override;
};

}  // namespace tumbol
