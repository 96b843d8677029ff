// The prompt as real message boxes, titled with the program name.
#pragma once

#include "interfaces/prompt.h"

class QWidget;

namespace quireon2::ui {

class QtPrompt : public Prompt {
 public:
  explicit QtPrompt(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }
  Answer Ask(const std::string& text, Buttons buttons) override;

 private:
  QWidget* parent_;
};

}  // namespace quireon2::ui
