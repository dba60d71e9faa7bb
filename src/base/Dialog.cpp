#include "base/Dialog.h"

namespace zmw {

CDialog::~CDialog() = default;

int CDialog::DoModal() {
  window_ = platform::CurrentDialogHost().MakeWindow(templateId_, *this);
  int result = window_ ? window_->RunModal() : -1;
  window_.reset();
  return result;
}

bool CDialog::Create() {
  window_ = platform::CurrentDialogHost().MakeWindow(templateId_, *this);
  if (!window_ || !window_->ShowModeless()) {
    window_.reset();
    return false;
  }
  return true;
}

void CDialog::DestroyWindow() {
  if (window_) window_->Destroy();
}

void CDialog::EndDialog(int result) {
  if (window_) window_->EndModal(result);
}

unsigned CDialog::SetTimer(unsigned id, unsigned milliseconds) {
  return window_ ? window_->StartTimer(id, milliseconds) : 0;
}

void CDialog::KillTimer(unsigned id) {
  if (window_) window_->StopTimer(id);
}

void CDialog::ExchangeText(int control, std::string& field, bool save) {
  if (save) field = window_->ControlText(control);
  else window_->SetControlText(control, field);
}

void CDialog::ExchangeCheck(int control, int& field, bool save) {
  if (save) field = window_->Check(control) == 1 ? 1 : 0;
  else window_->SetCheck(control, field);
}

void CDialog::OnCommand(int control) {
  if (control == kIdOk) OnOK();
  else if (control == kIdCancel) OnCancel();
}

}  // namespace zmw
