#pragma once

#include <mpv/client.h>

#include <memory>
#include <string>

// libmpv, loaded at run time: its dependency tree (codecs, filters, voices, renderers) is large,
// and a program whose panes never play should not map and relocate it at start-up. Only the
// types come from mpv's header; the functions are reached through this table.
namespace vexa::platform {

struct MpvLibrary {
  // The library's soname, the one the header was written for.
  static constexpr const char* kName = "libmpv.so.2";

  decltype(&mpv_client_api_version) client_api_version = nullptr;
  decltype(&mpv_error_string) error_string = nullptr;
  decltype(&mpv_create) create = nullptr;
  decltype(&mpv_initialize) initialize = nullptr;
  decltype(&mpv_terminate_destroy) terminate_destroy = nullptr;
  decltype(&mpv_set_option) set_option = nullptr;
  decltype(&mpv_set_option_string) set_option_string = nullptr;
  decltype(&mpv_command) command = nullptr;
  decltype(&mpv_command_node) command_node = nullptr;
  decltype(&mpv_free_node_contents) free_node_contents = nullptr;
  decltype(&mpv_set_property) set_property = nullptr;
  decltype(&mpv_get_property) get_property = nullptr;
  decltype(&mpv_observe_property) observe_property = nullptr;
  decltype(&mpv_request_log_messages) request_log_messages = nullptr;
  decltype(&mpv_wait_event) wait_event = nullptr;
  decltype(&mpv_set_wakeup_callback) set_wakeup_callback = nullptr;

  // Opens `name` and resolves every function; null with `error` saying why when the library
  // cannot be loaded, lacks a function or speaks another client API. A library once opened
  // stays mapped for the life of the process: its threads may outlive any one player.
  static std::unique_ptr<MpvLibrary> Load(const char* name, std::string* error);

  // libmpv.so.2, loaded by the first call; every later call gives the same table, or the same
  // error. Thread-safe.
  static const MpvLibrary* Shared(std::string* error);
};

}  // namespace vexa::platform
