#pragma once
// Message boxes through one replaceable provider.
//
// The default provider writes the box to stderr and answers from the scripted
// list in the environment variable PLAYER_MSGBOX_ANSWERS (comma separated:
// ok, cancel, yes, no; the first button when the list is used up), so that no
// test or headless run ever blocks. The front end installs a provider that
// shows a real box on the main thread, and the drawing library one that draws
// the box itself in full screen.

#include <functional>
#include <string>

#include "app/base/format.h"

enum class MsgBoxButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgBoxIcon { None, Error, Warning, Question, Information };

struct MsgBoxType {
  MsgBoxButtons buttons = MsgBoxButtons::Ok;
  MsgBoxIcon icon = MsgBoxIcon::None;
};

enum MsgBoxResult : int { kMsgBoxOk = 1, kMsgBoxCancel = 2, kMsgBoxYes = 6, kMsgBoxNo = 7 };

// The answer of a box closed without a choice (its close box, Escape, a
// close of the program): its last button, the one that declines.
int MsgBoxCancelAnswer(MsgBoxButtons buttons);

// Text and caption are CP932; the provider converts them at its edge.
using MessageBoxProvider =
    std::function<int(const std::string& strText, const std::string& strCaption, MsgBoxType type)>;

// Installs a provider; an empty function restores the default one.
void SetMessageBoxProvider(MessageBoxProvider provider);

int ShowMessageBox(const std::string& strText, const std::string& strCaption, MsgBoxType type);
// What the default provider does: the box on stderr, the answer scripted.
int ShowHeadlessMessageBox(const std::string& strText, const std::string& strCaption,
                           MsgBoxType type);
int ErrorBox(const std::string& strText);
int ErrorBoxf(const char* pszFormat, ...) PLAYER_PRINTF(1, 2);
int DebugBoxf(const char* pszFormat, ...) PLAYER_PRINTF(1, 2);
// "メモリが不足しています！", then a close request.
void NoMemoryError();
