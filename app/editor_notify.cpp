#include "app/editor_notify.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

const char* SocketPath() {
  const char* pszPath = std::getenv(kEditorSocketVariable);
  return pszPath != nullptr && *pszPath != '\0' ? pszPath : nullptr;
}

// One datagram; nothing happens when nobody listens.
void SendToEditor(int32_t nValue) {
  const char* pszPath = SocketPath();
  if (pszPath == nullptr) return;
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (std::strlen(pszPath) >= sizeof addr.sun_path) return;
  std::strcpy(addr.sun_path, pszPath);
  const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return;
  ::sendto(fd, &nValue, sizeof nValue, MSG_DONTWAIT, reinterpret_cast<const sockaddr*>(&addr),
           sizeof addr);
  ::close(fd);
}

}  // namespace

bool IsEditorLaunch() { return SocketPath() != nullptr; }

void NotifyEditorStart() { SendToEditor(1); }

void NotifyEditorEnd(int nResult) { SendToEditor(nResult); }
