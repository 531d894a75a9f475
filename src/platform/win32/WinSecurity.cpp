#include "platform/win32/WinSecurity.h"

#include <aclapi.h>
#include <sddl.h>

#include <vector>

#include "platform/win32/WinText.h"

namespace qv::platform::win32 {

namespace {

// The token's user or default owner, copied out.
std::vector<BYTE> TokenSid(TOKEN_INFORMATION_CLASS which) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  DWORD size = 0;
  GetTokenInformation(token, which, nullptr, 0, &size);
  std::vector<BYTE> info(size);
  std::vector<BYTE> sid;
  if (size > 0 && GetTokenInformation(token, which, info.data(), size, &size)) {
    PSID found = which == TokenUser ? reinterpret_cast<TOKEN_USER*>(info.data())->User.Sid
                                    : reinterpret_cast<TOKEN_OWNER*>(info.data())->Owner;
    if (found && IsValidSid(found)) {
      const DWORD length = GetLengthSid(found);
      sid.resize(length);
      CopySid(length, sid.data(), found);
    }
  }
  CloseHandle(token);
  return sid;
}

std::string SidText(std::vector<BYTE>& sid) {
  if (sid.empty()) return {};
  wchar_t* text = nullptr;
  if (!ConvertSidToStringSidW(sid.data(), &text)) return {};
  std::string out = Utf8(text);
  LocalFree(text);
  return out;
}

}  // namespace

TPrivateAccess::TPrivateAccess() {
  std::vector<BYTE> user = TokenSid(TokenUser);
  const std::string sid = SidText(user);
  if (sid.empty()) return;
  // Protected from the parent's entries; full access for the user and for
  // the system, inherited by files and folders made inside.
  const std::wstring sddl = L"D:P(A;OICI;FA;;;" + Wide(sid) + L")(A;OICI;FA;;;SY)";
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor_, nullptr)) {
    descriptor_ = nullptr;
    return;
  }
  attributes_.nLength = sizeof attributes_;
  attributes_.lpSecurityDescriptor = descriptor_;
  attributes_.bInheritHandle = FALSE;
}

TPrivateAccess::~TPrivateAccess() {
  if (descriptor_) LocalFree(descriptor_);
}

std::string CurrentUserSid() {
  std::vector<BYTE> user = TokenSid(TokenUser);
  return SidText(user);
}

bool OwnedByThisUser(const std::wstring& systemPath) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(systemPath.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                            nullptr, &descriptor) != ERROR_SUCCESS)
    return false;
  bool own = false;
  for (TOKEN_INFORMATION_CLASS which : {TokenUser, TokenOwner}) {
    std::vector<BYTE> sid = TokenSid(which);
    if (owner && !sid.empty() && EqualSid(owner, sid.data())) own = true;
  }
  LocalFree(descriptor);
  return own;
}

}  // namespace qv::platform::win32
