// A dialog of the dialog host: drawn from its template with Dear ImGui in
// the main window's 640 x 480 client area, over the last game frame, and run
// until it ends. Keys reach the dialog box as they would reach its window
// (the keyboard hook, Enter, Tab); clicks press its items.

#include "app/base/encoding.h"
#include "platform/ui/dialog_host_run.h"

namespace {

constexpr float kDialogCaptionHeight = 20.0f;

void DrawItem(cDialogBox& box, const DLGITEMSTATE& item, bool bFirstFrame,
              std::map<int, EDITSTATE>& edits) {
  const DLGITEMTEMPLATE& t = item.tmpl;
  const ImVec2 pos(static_cast<float>(DialogUnitsToPixels(t.x)),
                   static_cast<float>(DialogUnitsToPixels(t.y)) +
                       (box.Template().bCaption ? kDialogCaptionHeight : 0.0f));
  const ImVec2 size(static_cast<float>(DialogUnitsToPixels(t.cx)),
                    static_cast<float>(DialogUnitsToPixels(t.cy)));
  const std::string strLabel = Cp932ToUtf8(item.strText) + "##" + std::to_string(t.nId);
  ImGui::SetCursorPos(pos);
  ImGui::BeginDisabled(!item.bEnabled);
  switch (t.kind) {
    case DlgItemKind::Picture:
      break;
    case DlgItemKind::Text:
      ImGui::PushTextWrapPos(pos.x + size.x);
      ImGui::TextUnformatted(Cp932ToUtf8(item.strText).c_str());
      ImGui::PopTextWrapPos();
      break;
    case DlgItemKind::GroupBox: {
      const ImVec2 origin = ImGui::GetWindowPos();
      const ImVec2 a(origin.x + pos.x, origin.y + pos.y + kDialogFontSize / 2);
      ImGui::GetWindowDrawList()->AddRect(a,
                                          ImVec2(a.x + size.x, a.y + size.y - kDialogFontSize / 2),
                                          ImGui::GetColorU32(ImGuiCol_Border));
      ImGui::SetCursorPos(ImVec2(pos.x + 6, pos.y));
      ImGui::TextUnformatted(Cp932ToUtf8(item.strText).c_str());
      break;
    }
    case DlgItemKind::Edit:
      DrawEditItem(box, item, size.x, bFirstFrame && box.FocusId() == t.nId, edits);
      break;
    case DlgItemKind::PushButton:
    case DlgItemKind::DefButton: {
      if (t.kind == DlgItemKind::DefButton)
        ImGui::PushStyleVar(ImGuiStyleVar_FrameBorderSize, 2.0f);
      const bool bClicked = ImGui::Button(strLabel.c_str(), size);
      if (t.kind == DlgItemKind::DefButton) ImGui::PopStyleVar();
      if (bClicked) box.ClickItem(t.nId);
      break;
    }
    case DlgItemKind::Radio:
      if (ImGui::RadioButton(strLabel.c_str(), item.bChecked != 0)) box.ClickItem(t.nId);
      break;
    case DlgItemKind::Check: {
      bool bChecked = item.bChecked != 0;
      if (ImGui::Checkbox(strLabel.c_str(), &bChecked)) box.ClickItem(t.nId);
      break;
    }
  }
  ImGui::EndDisabled();
}

}  // namespace

void RunDialogBox(cDialogBox& box) {
  cHostRun run;
  if (!run.Ready()) {
    box.CloseBox();
    if (!box.IsEnded()) box.End(0);
    return;
  }
  std::map<int, EDITSTATE> edits;
  const ImGuiWindowFlags flags = ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove |
                                 ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoSavedSettings |
                                 ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoTitleBar;
  bool bFirst = true;
  while (!box.IsEnded()) {
    if (!run.Pump(&box)) {
      box.CloseBox();
      break;
    }
    for (const cHostRun::KEY& key : run.m_keys) {
      box.PressKey(key.nKey, key.bDown, key.bComposing);
      if (box.IsEnded()) break;
    }
    run.m_keys.clear();
    box.DeliverPosted();
    if (box.IsEnded()) break;
    run.BeginFrame();
    const DLGTEMPLATE& t = box.Template();
    const float fHeight =
        static_cast<float>(DialogUnitsToPixels(t.cy)) + (t.bCaption ? kDialogCaptionHeight : 0.0f);
    ImGui::SetNextWindowPos(ImVec2(static_cast<float>(box.m_nX), static_cast<float>(box.m_nY)));
    ImGui::SetNextWindowSize(ImVec2(static_cast<float>(DialogUnitsToPixels(t.cx)), fHeight));
    ImGui::SetNextWindowFocus();
    ImGui::Begin("##dialog", nullptr, flags);
    if (t.bCaption) {
      // The caption bar, with its close box.
      ImDrawList* pDraw = ImGui::GetWindowDrawList();
      const ImVec2 origin = ImGui::GetWindowPos();
      pDraw->AddRectFilled(
          origin, ImVec2(origin.x + DialogUnitsToPixels(t.cx), origin.y + kDialogCaptionHeight),
          ImGui::GetColorU32(ImGuiCol_TitleBgActive));
      ImGui::SetCursorPos(ImVec2(6, 4));
      ImGui::TextUnformatted(Cp932ToUtf8(box.m_strCaption).c_str());
      ImGui::SetCursorPos(ImVec2(DialogUnitsToPixels(t.cx) - 20.0f, 2));
      if (ImGui::Button("x##close", ImVec2(16, 16))) box.CloseBox();
    }
    for (const DLGITEMSTATE& item : box.Items()) {
      if (box.IsEnded()) break;
      DrawItem(box, item, bFirst, edits);
    }
    ImGui::End();
    bFirst = false;
    run.EndFrame();
  }
}
