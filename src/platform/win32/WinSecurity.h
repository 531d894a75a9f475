// Who owns what on Windows: the running user's identity, the access list
// that keeps a new file or folder to that user alone, and ownership checks.
#pragma once
#include <windows.h>

#include <string>

namespace qv::platform::win32 {

// Security attributes for a new file or folder that only this user (and the
// system itself) may open; what is made inside a folder inherits them.
class TPrivateAccess {
 public:
  TPrivateAccess();
  ~TPrivateAccess();
  TPrivateAccess(const TPrivateAccess&) = delete;
  TPrivateAccess& operator=(const TPrivateAccess&) = delete;
  // Null (the default access) when the user cannot be told.
  SECURITY_ATTRIBUTES* Attributes() { return descriptor_ ? &attributes_ : nullptr; }

 private:
  PSECURITY_DESCRIPTOR descriptor_ = nullptr;
  SECURITY_ATTRIBUTES attributes_{};
};

// This user's security identifier as text ("S-1-5-21-..."); empty if unknown.
std::string CurrentUserSid();

// True when the file or folder is owned by this user, or by the owner this
// user's new files get (the administrators group for an elevated user).
bool OwnedByThisUser(const std::wstring& systemPath);

}  // namespace qv::platform::win32
