#include "CommandRouter.h"

void CCommandRouter::On(int id, Handler handler, UpdateRule enabled) {
  routes_[id] = Route{std::move(handler), std::move(enabled)};
}

void CCommandRouter::OnRange(int first, int last, RangeHandler handler, UpdateRule enabled) {
  if (last < first) return;
  ranges_[first] = RangeRoute{last, std::move(handler), std::move(enabled)};
}

void CCommandRouter::Remove(int id) { routes_.erase(id); }

const CCommandRouter::RangeRoute* CCommandRouter::FindRange(int id) const {
  auto it = ranges_.upper_bound(id);
  if (it == ranges_.begin()) return nullptr;
  --it;
  return id <= it->second.last ? &it->second : nullptr;
}

bool CCommandRouter::IsRouted(int id) const { return routes_.count(id) != 0 || FindRange(id) != nullptr; }

bool CCommandRouter::IsEnabled(int id) const {
  if (auto it = routes_.find(id); it != routes_.end()) return !it->second.enabled || it->second.enabled();
  if (const RangeRoute* range = FindRange(id)) return !range->enabled || range->enabled();
  return false;
}

bool CCommandRouter::Dispatch(int id) {
  if (!IsEnabled(id)) return false;
  // Copies: the handler may replace its own route while it runs.
  if (auto it = routes_.find(id); it != routes_.end()) {
    Handler handler = it->second.handler;
    if (handler) handler();
    return true;
  }
  RangeHandler handler = FindRange(id)->handler;
  if (handler) handler(id);
  return true;
}

void CCommandRouter::OnMessage(uint32_t message, MessageHandler handler) { messages_[message] = std::move(handler); }

bool CCommandRouter::IsMessageRouted(uint32_t message) const { return messages_.count(message) != 0; }

bool CCommandRouter::DispatchMessage(uint32_t message, int64_t wParam, int64_t lParam) {
  auto it = messages_.find(message);
  if (it == messages_.end()) return false;
  MessageHandler handler = it->second;
  if (handler) handler(wParam, lParam);
  return true;
}
