// The edit boxes of the dialog host: ImGui edits UTF-8 text, the dialog box
// holds CP932 and enforces its limits as the user types. Every change ImGui
// makes goes through the dialog box, and the box's text (cut to its limits)
// is what ImGui shows next; a character CP932 cannot hold is refused here.

#include <imgui.h>
#include <imgui_stdlib.h>

#include <algorithm>

#include "app/base/encoding.h"
#include "platform/ui/dialog_host_run.h"

namespace {

// The UTF-8 byte offset of a CP932 offset into text.
int Utf8Offset(const std::string& strCp932, int nCp932) {
  nCp932 = std::clamp(nCp932, 0, static_cast<int>(strCp932.size()));
  return static_cast<int>(Cp932ToUtf8(strCp932.substr(0, static_cast<size_t>(nCp932))).size());
}

int EditCallback(ImGuiInputTextCallbackData* data) {
  auto* state = static_cast<EDITSTATE*>(data->UserData);
  if (data->EventFlag != ImGuiInputTextFlags_CallbackEdit) return 0;
  const std::string strTyped(data->Buf, static_cast<size_t>(data->BufTextLen));
  const std::string strCp932 = Utf8ToCp932(strTyped);
  DLGITEMSTATE* item = state->lpBox->Item(state->nId);
  if (item == nullptr) return 0;
  std::string strShow;
  int nCaret;
  if (Cp932ToUtf8(strCp932) != strTyped) {
    // A character CP932 cannot hold: the text stays as it was.
    strShow = state->strUtf8;
    nCaret = Utf8Offset(item->strText, item->nSelEnd);
  } else {
    const int nAt = static_cast<int>(
        Utf8ToCp932(strTyped.substr(0, static_cast<size_t>(data->CursorPos))).size());
    state->lpBox->m_bBackspaceDown = ImGui::IsKeyDown(SDL_SCANCODE_BACKSPACE);
    state->lpBox->TypeText(state->nId, strCp932, nAt, nAt);
    state->lpBox->m_bBackspaceDown = false;
    strShow = Cp932ToUtf8(item->strText);
    nCaret = Utf8Offset(item->strText, item->nSelEnd);
  }
  if (strShow != strTyped) {
    data->DeleteChars(0, data->BufTextLen);
    data->InsertChars(0, strShow.c_str());
  }
  data->CursorPos = data->SelectionStart = data->SelectionEnd = std::min(nCaret, data->BufTextLen);
  state->strUtf8 = strShow;
  return 0;
}

}  // namespace

void DrawEditItem(cDialogBox& box, const DLGITEMSTATE& item, float fWidth, bool bFocus,
                  std::map<int, EDITSTATE>& edits) {
  const int nId = item.tmpl.nId;
  EDITSTATE& state = edits[nId];
  state.lpBox = &box;
  state.nId = nId;
  // The whole text, however long: the dialog box holds the limits.
  std::string strText = Cp932ToUtf8(item.strText);
  state.strUtf8 = strText;
  if (bFocus) ImGui::SetKeyboardFocusHere();
  ImGui::SetNextItemWidth(fWidth);
  ImGui::InputText(("##edit" + std::to_string(nId)).c_str(), &strText,
                   ImGuiInputTextFlags_CallbackEdit | ImGuiInputTextFlags_AutoSelectAll,
                   EditCallback, &state);
  if (ImGui::IsItemActivated()) box.SetFocusItem(nId);
}
