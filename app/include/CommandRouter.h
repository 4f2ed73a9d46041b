// One registry of the program's commands, keyed by the ids the menus, tool
// bars, keys and private messages carry. The windows only map a click or a key
// to an id and ask the router; what a command does and when it is enabled is
// registered here by whoever owns the command. An id nobody registered is
// disabled, so a menu can name every command before all of them exist.
//
// Threads: user-interface thread only. A handler may register or remove routes
// (a rebuilt loop menu does) while it runs.
#pragma once

#include <cstdint>
#include <functional>
#include <map>

class CCommandRouter {
 public:
  using Handler = std::function<void()>;
  using RangeHandler = std::function<void(int id)>;
  // The command's update rule: true while it may run.
  using UpdateRule = std::function<bool()>;
  using MessageHandler = std::function<void(int64_t wParam, int64_t lParam)>;

  // Replaces any route of the id. Without a rule the command is always enabled.
  void On(int id, Handler handler, UpdateRule enabled = {});
  // One handler for the ids first..last (the Insert Loop entries); single routes win.
  void OnRange(int first, int last, RangeHandler handler, UpdateRule enabled = {});
  void Remove(int id);

  bool IsRouted(int id) const;
  bool IsEnabled(int id) const;
  // Runs the command when it is routed and enabled; false when it did not run.
  bool Dispatch(int id);

  // Private window messages (skinned buttons, modeless windows).
  void OnMessage(uint32_t message, MessageHandler handler);
  bool IsMessageRouted(uint32_t message) const;
  // False when nobody handles the message.
  bool DispatchMessage(uint32_t message, int64_t wParam = 0, int64_t lParam = 0);

 private:
  struct Route {
    Handler handler;
    UpdateRule enabled;
  };
  struct RangeRoute {
    int last;
    RangeHandler handler;
    UpdateRule enabled;
  };
  // The range holding the id, or null.
  const RangeRoute* FindRange(int id) const;

  std::map<int, Route> routes_;
  std::map<int, RangeRoute> ranges_;  // keyed by the first id
  std::map<uint32_t, MessageHandler> messages_;
};
