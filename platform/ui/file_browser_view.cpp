// The file browser of the dialog host: the folders and files of the shown
// folder, the name field and the filter, drawn with Dear ImGui over the game
// and run until the user chose or cancelled.

#include <imgui.h>
#include <imgui_stdlib.h>

#include <algorithm>
#include <set>

#include "app/base/encoding.h"
#include "platform/ui/dialog_host_run.h"
#include "platform/ui/file_dialog.h"

bool RunFileBrowser(cFileBrowser& browser) {
  cHostRun run;
  if (!run.Ready()) return false;
  std::set<std::string> selected;
  std::string strNameUtf8 = Cp932ToUtf8(browser.m_strName);
  const ImGuiWindowFlags flags = ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove |
                                 ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoSavedSettings;
  ImGuiStyle& style = ImGui::GetStyle();
  const ImVec2 oldPadding = style.WindowPadding;
  style.WindowPadding = ImVec2(8, 8);
  bool bResult = false;
  bool bFirst = true;
  // The folder is read again only when it or the filter changes, not in
  // every frame the browser shows.
  std::vector<FILEENTRY> entries;
  std::string strListedFolder;
  int nListedFilter = -1;
  for (bool bDone = false; !bDone;) {
    if (!run.Pump(nullptr) || run.m_bEscape) break;
    if (nListedFilter != browser.m_nFilter || strListedFolder != browser.m_strFolder) {
      entries = browser.List();
      strListedFolder = browser.m_strFolder;
      nListedFilter = browser.m_nFilter;
    }
    run.BeginFrame();
    ImGui::SetNextWindowPos(ImVec2(80, 60));
    ImGui::SetNextWindowSize(ImVec2(480, 360));
    bool bOpen = true;
    ImGui::Begin((Cp932ToUtf8(browser.m_strTitle) + "###files").c_str(), &bOpen, flags);
    if (!bOpen) bDone = true;
    ImGui::TextUnformatted(Cp932ToUtf8("\\" + browser.m_strFolder).c_str());
    ImGui::BeginChild("##list", ImVec2(0, 230), true);
    std::string strEnter;
    for (const FILEENTRY& entry : entries) {
      // Appended rather than "[" + name + "]", which g++ 12 misreads as an
      // overlapping copy at -O3 (-Wrestrict).
      std::string strShown = Cp932ToUtf8(entry.strName);
      if (entry.bFolder) strShown.insert(0, 1, '[').push_back(']');
      const bool bSelected = selected.count(entry.strName) != 0;
      if (ImGui::Selectable(strShown.c_str(), bSelected, ImGuiSelectableFlags_AllowDoubleClick)) {
        if (entry.bFolder) {
          if (ImGui::IsMouseDoubleClicked(0)) strEnter = entry.strName;
        } else {
          if (!browser.m_bMultiSelect || !ImGui::GetIO().KeyCtrl) selected.clear();
          selected.insert(entry.strName);
          strNameUtf8 = Cp932ToUtf8(entry.strName);
          if (ImGui::IsMouseDoubleClicked(0) && browser.Choose({entry.strName})) {
            bResult = bDone = true;
          }
        }
      }
    }
    ImGui::EndChild();
    if (!strEnter.empty() && browser.EnterFolder(strEnter)) selected.clear();
    std::string strTyped = strNameUtf8;
    ImGui::SetNextItemWidth(300);
    if (bFirst) ImGui::SetKeyboardFocusHere();
    bFirst = false;
    if (ImGui::InputText("##name", &strTyped)) {
      // Only what CP932 holds stays in the name.
      if (Cp932ToUtf8(Utf8ToCp932(strTyped)) == strTyped) {
        strNameUtf8 = strTyped;
        selected.clear();
      }
    }
    if (!browser.m_Filters.empty()) {
      ImGui::SetNextItemWidth(300);
      const int nFilter =
          std::clamp(browser.m_nFilter, 0, static_cast<int>(browser.m_Filters.size()) - 1);
      if (ImGui::BeginCombo("##filter", Cp932ToUtf8(browser.m_Filters[nFilter].strName).c_str())) {
        for (size_t i = 0; i < browser.m_Filters.size(); ++i)
          if (ImGui::Selectable(Cp932ToUtf8(browser.m_Filters[i].strName).c_str(),
                                static_cast<int>(i) == nFilter))
            browser.m_nFilter = static_cast<int>(i);
        ImGui::EndCombo();
      }
    }
    const bool bEnter = run.m_bEnter && !bDone;
    run.m_bEnter = false;
    if (ImGui::Button("OK", ImVec2(80, 0)) || bEnter) {
      std::vector<std::string> names;
      if (selected.size() > 1 ||
          (selected.size() == 1 && Cp932ToUtf8(*selected.begin()) == strNameUtf8))
        names.assign(selected.begin(), selected.end());
      else if (!strNameUtf8.empty())
        names.push_back(Utf8ToCp932(strNameUtf8));
      if (names.size() == 1 && browser.EnterFolder(names[0])) {
        strNameUtf8.clear();
        selected.clear();
      } else if (!names.empty() && browser.Choose(names)) {
        bResult = bDone = true;
      }
    }
    ImGui::SameLine();
    if (ImGui::Button("Cancel", ImVec2(80, 0))) bDone = true;
    ImGui::End();
    run.EndFrame();
  }
  style.WindowPadding = oldPadding;
  return bResult;
}
