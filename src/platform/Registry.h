// A settings store with the calls of a hierarchical registry.
//
// Keys are paths like "Software\Quorvane\Lumvor"; each key holds named values of
// type string, integer or binary. Everything lives in one INI file written through
// QSettings: $LUMVOR_HOME/registry.ini when LUMVOR_HOME is set, else
// ~/.config/Quorvane/Lumvor.ini. Every write goes to disk at once, atomically
// (temporary file, fsync, rename), so a crash never leaves a half-written file and
// a value written by one process is read by the next.
//
// A write that finds no room raises ERegistryException with DiskFullText.
//
// Reading a missing value with ReadInteger/ReadBool, or a value of another type
// with any Read call, raises ERegistryException; ReadString of a missing value
// answers "" and ReadBinaryData of a missing value answers 0 bytes.
#pragma once

#include "platform/SysUtils.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lumvor {

LUMVOR_EXCEPTION(ERegistryException, Exception);

using HKEY = uint32_t;
inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

// Full name of the file that holds the store.
std::string RegistryFileName();

// Writers take turns through a kernel lock that dies with its process; one that
// finds the lock held by a live process waits this long at most, then its write
// raises ERegistryException with SettingsLockedText and nothing is written.
inline int SettingsLockTimeoutMs = 3000;
inline constexpr const char* SettingsLockedText = "Settings could not be saved: the settings file is locked.";

class TRegistry {
public:
    TRegistry() = default;
    ~TRegistry() = default;

    HKEY RootKey() const { return rootKey_; }
    void SetRootKey(HKEY root);  // closes the current key

    // Opens key (relative to the current key unless it starts with "\"). With
    // canCreate a missing key is created; without it a missing key answers false.
    bool OpenKey(const std::string& key, bool canCreate);
    void CloseKey();
    const std::string& CurrentPath() const { return currentPath_; }
    bool KeyExists(const std::string& key);
    // Deletes the key with its values and subkeys; false when it did not exist.
    bool DeleteKey(const std::string& key);

    bool ValueExists(const std::string& name);
    TRegDataType GetDataType(const std::string& name);
    // Size of the value's data in bytes, -1 when the value is missing. Strings
    // count their terminating NUL, as the stored form of a string value does.
    int GetDataSize(const std::string& name);
    bool DeleteValue(const std::string& name);

    std::string ReadString(const std::string& name);
    void WriteString(const std::string& name, const std::string& value);
    void WriteExpandString(const std::string& name, const std::string& value);
    int ReadInteger(const std::string& name);
    void WriteInteger(const std::string& name, int value);
    bool ReadBool(const std::string& name);
    void WriteBool(const std::string& name, bool value);
    // Copies the value into buffer and answers its size; a missing value answers
    // 0. A value longer than bufSize, or not binary, raises ERegistryException.
    int ReadBinaryData(const std::string& name, void* buffer, int bufSize);
    void WriteBinaryData(const std::string& name, const void* buffer, int bufSize);
    std::vector<uint8_t> ReadBinary(const std::string& name);

private:
    // The full path ("A\B") a key argument names, relative to the open key
    // unless it starts with a backslash.
    std::string Resolve(const std::string& key) const;

    HKEY rootKey_ = HKEY_CURRENT_USER;
    std::string currentPath_;  // "" when no key is open
    bool keyOpen_ = false;
};

}  // namespace lumvor
