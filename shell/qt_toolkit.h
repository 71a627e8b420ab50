#pragma once
// The real Toolkit: Qt message boxes and input boxes with Russian buttons, the
// local clock.
#include <QWidget>

#include "base/toolkit.h"

namespace tumbol {

class QtToolkit : public Toolkit {
 public:
  int MsgBox(const std::string& text, int style, const std::string& title) override;
  std::string InputBox(const std::string& prompt, const std::string& title,
                       const std::string& defaultText) override;
  double Now() override;
  double Rnd() override;

  // Message boxes are centred on this window, unless a modal window of the
  // program (the editor) is open: then on that one.
  void SetDialogParent(QWidget* parent) { parent_ = parent; }
  QWidget* DialogParent() const;

  // A CR alone or CR LF in a message is a line break on screen.
  static QString DisplayText(const std::string& text);
  // How wide a box must be for a title bar to show its whole title.
  static int TitleWidth(const QString& title);

 private:
  QWidget* parent_ = nullptr;
};

}  // namespace tumbol
