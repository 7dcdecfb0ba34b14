// Makes a key under HKEY_CURRENT_USER read-only for everyone through its own
// access list, as an administrator's policy would, and gives it back:
//   reg_lock lock PATH     creates PATH if missing; its list, and that of every key
//                          below it, then grants only reading
//   reg_lock unlock PATH   full access again, for the key and every key below it
//   reg_lock probe PATH    exit 0 when a value can be written to PATH, 5 when refused
// Exit code 0 on success, else the system's error number (2 on bad use).
#include <aclapi.h>
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

DWORD SetList(HKEY key, DWORD access) {
  // "Everyone", with the access given, for this key and the keys below it.
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
  PSID everyone = nullptr;
  if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone))
    return GetLastError();
  EXPLICIT_ACCESSA entry{};
  entry.grfAccessPermissions = access;
  entry.grfAccessMode = SET_ACCESS;
  entry.grfInheritance = SUB_CONTAINERS_AND_OBJECTS_INHERIT;
  entry.Trustee.TrusteeForm = TRUSTEE_IS_SID;
  entry.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
  entry.Trustee.ptstrName = static_cast<char*>(everyone);
  PACL list = nullptr;
  DWORD status = SetEntriesInAclA(1, &entry, nullptr, &list);
  if (status == ERROR_SUCCESS) {
    // Protected: the list of the key above cannot give the access back.
    status = SetSecurityInfo(key, SE_REGISTRY_KEY,
                             DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                             nullptr, nullptr, list, nullptr);
    LocalFree(list);
  }
  FreeSid(everyone);
  return status;
}

// The list on `key` and on every key below it (those made before the lock too).
DWORD SetTree(HKEY key, DWORD access) {
  DWORD status = SetList(key, access);
  char name[256];
  for (DWORD index = 0; status == ERROR_SUCCESS; ++index) {
    DWORD length = sizeof name;
    const LONG found = RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (found == ERROR_NO_MORE_ITEMS) break;
    if (found != ERROR_SUCCESS) return static_cast<DWORD>(found);
    HKEY child = nullptr;
    status = static_cast<DWORD>(
        RegOpenKeyExA(key, name, 0, READ_CONTROL | WRITE_DAC | KEY_ENUMERATE_SUB_KEYS, &child));
    if (status == ERROR_SUCCESS) {
      status = SetTree(child, access);
      RegCloseKey(child);
    }
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const char* verb = argv[1];
  const char* path = argv[2];
  HKEY key = nullptr;
  if (std::strcmp(verb, "probe") == 0) {
    LONG status = RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_SET_VALUE, &key);
    if (status == ERROR_SUCCESS) {
      const char text[] = "probe";
      status = RegSetValueExA(key, "reg_lock probe", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                              sizeof text);
      if (status == ERROR_SUCCESS) RegDeleteValueA(key, "reg_lock probe");
      RegCloseKey(key);
    }
    std::printf("%ld\n", static_cast<long>(status));
    return static_cast<int>(status);
  }
  const bool lock = std::strcmp(verb, "lock") == 0;
  if (!lock && std::strcmp(verb, "unlock") != 0) return 2;
  LONG status =
      RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      READ_CONTROL | WRITE_DAC | KEY_ENUMERATE_SUB_KEYS, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) return static_cast<int>(status);
  status = static_cast<LONG>(SetTree(key, lock ? KEY_READ : KEY_ALL_ACCESS));
  RegCloseKey(key);
  return static_cast<int>(status);
}
