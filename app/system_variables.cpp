#include "app/system_variables.h"

#include <string>

#include "app/random_name.h"
#include "platform/user_folders.h"

namespace vexa {

namespace {

constexpr uint32_t kKeySize = 127;

// Fills `key` once with a name the registry has not handed out yet.
const char* generatedKey(char (&key)[kKeySize]) {
  if (key[0] != '\0') return key;
  VariableTable& registry = nameRegistry();
  do {
    makeRandomName(nullptr, key, kKeySize, false, false, false);
  } while (registry.find(key) != nullptr);
  registry.insert(key);
  return key;
}

}  // namespace

VariableTable& nameRegistry() {
  static VariableTable registry;
  return registry;
}

const char* currentDirectoryKey() {
  static char key[kKeySize];
  return generatedKey(key);
}

const char* documentsFolderKey() {
  static char key[kKeySize];
  return generatedKey(key);
}

const char* desktopFolderKey() {
  static char key[kKeySize];
  return generatedKey(key);
}

const char* appDataFolderKey() {
  static char key[kKeySize];
  return generatedKey(key);
}

const char* computerNameKey() {
  static char key[kKeySize];
  return generatedKey(key);
}

const char* userNameKey() {
  static char key[kKeySize];
  return generatedKey(key);
}

void addSpecialVariables(VariableTable& table) {
  struct Special {
    bool (*lookUp)(std::string&);
    const char* (*key)();
  };
  static const Special kSpecials[] = {
      {platform::currentDirectory, currentDirectoryKey},
      {platform::documentsFolder, documentsFolderKey},
      {platform::desktopFolder, desktopFolderKey},
      {platform::appDataFolder, appDataFolderKey},
      {platform::computerName, computerNameKey},
      {platform::userName, userNameKey},
  };
  std::string value;
  for (const Special& special : kSpecials) {
    if (special.lookUp(value)) continue;
    VariableTable::Entry* entry = table.insert(special.key());
    if (entry != nullptr) entry->value.assign(value.c_str());
  }
}

void ensureDisplayVariable(VariableTable& table) {
  const VariableTable::Entry* display = table.find("DISPLAY");
  if (display != nullptr && !display->value.empty()) return;
  VariableTable::Entry* entry = table.insert("DISPLAY");
  if (entry != nullptr) entry->value.assign("127.0.0.1:0.0");
}

}  // namespace vexa
