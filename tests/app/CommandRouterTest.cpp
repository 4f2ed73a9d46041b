#include <gtest/gtest.h>

#include <vector>

#include "CommandRouter.h"

namespace {

TEST(CommandRouter, AnIdNobodyRoutedIsDisabledAndDoesNothing) {
  CCommandRouter router;
  EXPECT_FALSE(router.IsRouted(32969));
  EXPECT_FALSE(router.IsEnabled(32969));
  EXPECT_FALSE(router.Dispatch(32969));
}

TEST(CommandRouter, TheUpdateRuleDecidesWhetherACommandRuns) {
  CCommandRouter router;
  bool playing = false;
  int runs = 0;
  router.On(32969, [&] { ++runs; }, [&] { return !playing; });
  EXPECT_TRUE(router.IsEnabled(32969));
  EXPECT_TRUE(router.Dispatch(32969));
  playing = true;
  EXPECT_FALSE(router.IsEnabled(32969));
  EXPECT_FALSE(router.Dispatch(32969));
  EXPECT_EQ(runs, 1);
  router.On(32921, [&] { ++runs; });
  EXPECT_TRUE(router.Dispatch(32921)) << "without a rule a command is always enabled";
  router.Remove(32969);
  EXPECT_FALSE(router.IsRouted(32969));
}

TEST(CommandRouter, ARangeCoversItsEndsAndASingleRouteWinsInside) {
  CCommandRouter router;
  std::vector<int> got;
  router.OnRange(55100, 55131, [&](int id) { got.push_back(id); });
  router.On(55110, [&] { got.push_back(-1); });
  struct Case {
    int id;
    bool routed;
  };
  const Case cases[] = {{55099, false}, {55100, true}, {55110, true}, {55131, true}, {55132, false}};
  for (const Case& c : cases) EXPECT_EQ(router.Dispatch(c.id), c.routed) << c.id;
  EXPECT_EQ(got, (std::vector<int>{55100, -1, 55131}));
  router.OnRange(60000, 59999, [&](int) {});
  EXPECT_FALSE(router.IsRouted(60000)) << "an empty range routes nothing";
}

TEST(CommandRouter, AHandlerMayReplaceItsOwnRouteWhileItRuns) {
  CCommandRouter router;
  int first = 0, second = 0;
  router.On(32839, [&] {
    ++first;
    router.On(32839, [&] { ++second; });
  });
  EXPECT_TRUE(router.Dispatch(32839));
  EXPECT_TRUE(router.Dispatch(32839));
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 1);
}

TEST(CommandRouter, PrivateMessagesCarryTheirParameters) {
  CCommandRouter router;
  int64_t w = 0, l = 0;
  EXPECT_FALSE(router.DispatchMessage(42938));
  router.OnMessage(42938, [&](int64_t wParam, int64_t lParam) {
    w = wParam;
    l = lParam;
  });
  EXPECT_TRUE(router.IsMessageRouted(42938));
  EXPECT_TRUE(router.DispatchMessage(42938, 7, -9));
  EXPECT_EQ(w, 7);
  EXPECT_EQ(l, -9);
}

}  // namespace
