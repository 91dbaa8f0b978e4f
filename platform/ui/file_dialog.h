#pragma once
// File dialogs: OpenFileDialog chooses one or several existing files (a stage
// or a replay to load), SaveFileDialog a file name to write (a replay). Both
// run a file browser of the game folder (cFileBrowser): its folders and the
// files that the filter lets through, moving between folders below the game
// folder, the default extension added to a name typed without one, and on
// saving a question before a file is replaced. Paths are stored paths
// (CP932, backslashes, relative to the game folder).
//
// The browser is run by the file-dialog host: the real one draws it over the
// game (dialog_host.h); tests install one that chooses by script. Without a
// host every file dialog is cancelled with a report-log line, so nothing
// waits on a dialog that nobody sees. A cancelled dialog always reads as
// cancelled.

#include <functional>
#include <string>
#include <vector>

class cWindow;

// One filter: its description and its patterns ("*.rpl4_695", or several
// separated by ';'). A pattern without a dot stands for the extension:
// "rpl4_*" lets "a.rpl4_695" through.
struct FILEFILTER {
  std::string strName;
  std::string strPattern;
};

struct FILEENTRY {
  std::string strName;
  bool bFolder = false;
};

class cFileBrowser {
 public:
  bool m_bSave = false;
  bool m_bMultiSelect = false;
  std::string m_strTitle;
  std::vector<FILEFILTER> m_Filters;
  int m_nFilter = 0;
  std::string m_strDefaultExt;
  // The folder shown ("" is the game folder itself), without a trailing
  // backslash.
  std::string m_strFolder;
  // The name field: the suggested name of a save.
  std::string m_strName;
  // The chosen paths, once chosen.
  std::vector<std::string> m_Chosen;

  // The entries of the shown folder: its folders (with "..", below the game
  // folder), then the files the current filter lets through, by name.
  std::vector<FILEENTRY> List() const;
  bool Matches(const std::string& strName) const;
  // Opens a folder of the list ("..": the one above); false when it is no
  // folder of the list.
  bool EnterFolder(const std::string& strName);
  // Chooses names of the shown folder (several when multi-select is on, else
  // the first only). Opening: every name must be an existing file. Saving:
  // the default extension is added to a name without one, and an existing
  // file is replaced only when the user agrees (a yes-no message box). False,
  // and nothing chosen, when a name is refused.
  bool Choose(const std::vector<std::string>& names);
};

// Runs a browser until the user chose (true, with m_Chosen filled) or
// cancelled (false).
using FileDialogHost = std::function<bool(cFileBrowser& browser)>;
void SetFileDialogHost(FileDialogHost host);

// The filter list of the platform's form: description and pattern texts,
// each ended by a NUL, and a second NUL at the end.
std::vector<FILEFILTER> ParseFilterList(const std::string& strFilter);

// Chooses existing files. 1 when chosen: the first path in strBuffer, and
// with a result list every chosen path appended to it; 0 when cancelled, the
// list unchanged.
int OpenFileDialog(cWindow* lpOwner, std::string& strBuffer, const std::string& strInitialDir,
                   const std::string& strTitle, const std::string& strFilter,
                   const std::string& strDefaultExt, int bMultiSelect,
                   std::vector<std::string>* lpResult);
// Chooses a name to write. With bKeep the buffer's text is the suggested
// name (without it the buffer is cleared first). 1 when chosen, the path in
// the buffer; 0 when cancelled.
int SaveFileDialog(cWindow* lpOwner, std::string& strBuffer, const std::string& strInitialDir,
                   const std::string& strTitle, const std::string& strFilter,
                   const std::string& strDefaultExt, int bKeep);
