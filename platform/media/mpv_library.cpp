#include "platform/media/mpv_library.h"

#include <dlfcn.h>

namespace vexa::platform {
namespace {

std::string VersionText(unsigned long version) {
  return std::to_string(version >> 16) + "." + std::to_string(version & 0xffff);
}

}  // namespace

std::unique_ptr<MpvLibrary> MpvLibrary::Load(const char* name, std::string* error) {
  // dlopen takes an empty name for the program itself, whose symbols are not the player's.
  if (!name || !*name) {
    if (error) *error = "libmpv cannot be loaded: no library named";
    return nullptr;
  }
  // Local: mpv's dependencies must not bind symbols of ours or of other libraries loaded later.
  void* module = dlopen(name, RTLD_NOW | RTLD_LOCAL);
  if (!module) {
    const char* reason = dlerror();
    if (error) *error = std::string(name) + " cannot be loaded: " + (reason ? reason : "unknown");
    return nullptr;
  }
  auto library = std::make_unique<MpvLibrary>();
  bool missing = false;
  auto resolve = [&](auto& function, const char* symbol) {
    if (missing) return;
    function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(module, symbol));
    if (!function) {
      missing = true;
      if (error) *error = std::string(name) + " lacks " + symbol;
    }
  };
  resolve(library->client_api_version, "mpv_client_api_version");
  resolve(library->error_string, "mpv_error_string");
  resolve(library->create, "mpv_create");
  resolve(library->initialize, "mpv_initialize");
  resolve(library->terminate_destroy, "mpv_terminate_destroy");
  resolve(library->set_option, "mpv_set_option");
  resolve(library->set_option_string, "mpv_set_option_string");
  resolve(library->command, "mpv_command");
  resolve(library->command_node, "mpv_command_node");
  resolve(library->free_node_contents, "mpv_free_node_contents");
  resolve(library->set_property, "mpv_set_property");
  resolve(library->get_property, "mpv_get_property");
  resolve(library->observe_property, "mpv_observe_property");
  resolve(library->request_log_messages, "mpv_request_log_messages");
  resolve(library->wait_event, "mpv_wait_event");
  resolve(library->set_wakeup_callback, "mpv_set_wakeup_callback");
  if (!missing) {
    // Same major version (the layout of events and nodes), at least the minor one the header has.
    unsigned long version = library->client_api_version();
    if (version >> 16 != MPV_CLIENT_API_VERSION >> 16 || version < MPV_CLIENT_API_VERSION) {
      missing = true;
      if (error) {
        *error = std::string(name) + " has client API " + VersionText(version) + ", " +
                 VersionText(MPV_CLIENT_API_VERSION) + " is needed";
      }
    }
  }
  if (missing) {
    dlclose(module);
    return nullptr;
  }
  return library;
}

const MpvLibrary* MpvLibrary::Shared(std::string* error) {
  struct Outcome {
    std::unique_ptr<MpvLibrary> library;
    std::string error;
  };
  static const Outcome outcome = [] {
    Outcome result;
    result.library = Load(kName, &result.error);
    return result;
  }();
  if (!outcome.library && error) *error = outcome.error;
  return outcome.library.get();
}

}  // namespace vexa::platform
