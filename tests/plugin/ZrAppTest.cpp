#include <gtest/gtest.h>

#include "plugin/ZrApp.h"

namespace {

// Counts start-ups and shut-downs; InitInstance can be told to fail.
class CountingApp : public ZrApp {
public:
    bool InitInstance() override {
        ++inits;
        return !failInit;
    }
    bool ExitInstance() override {
        ++exits;
        return true;
    }
    int inits = 0;
    int exits = 0;
    bool failInit = false;
};

TEST(ZrAppAttach, NestedAttachStartsOnceAndLastDetachStops) {
    CountingApp app;
    int context1 = 0, context2 = 0;
    EXPECT_TRUE(app.OnAttachDetach(&context1, ZrApp::kReasonAttach, nullptr));
    EXPECT_TRUE(app.OnAttachDetach(&context2, ZrApp::kReasonAttach, nullptr));
    EXPECT_EQ(app.inits, 1);
    EXPECT_EQ(app.GetHostContext(), &context1) << "only the first attach stores the context";
    EXPECT_TRUE(app.OnAttachDetach(nullptr, ZrApp::kReasonDetach, nullptr));
    EXPECT_EQ(app.exits, 0) << "one attach is still outstanding";
    EXPECT_TRUE(app.OnAttachDetach(nullptr, ZrApp::kReasonDetach, nullptr));
    EXPECT_EQ(app.exits, 1);
    EXPECT_EQ(app.GetAttachCount(), 0);

    // A later attach starts the library again with the new context.
    EXPECT_TRUE(app.OnAttachDetach(&context2, ZrApp::kReasonAttach, nullptr));
    EXPECT_EQ(app.inits, 2);
    EXPECT_EQ(app.GetHostContext(), &context2);
    // Unknown reasons change nothing.
    EXPECT_TRUE(app.OnAttachDetach(nullptr, 7, nullptr));
    EXPECT_EQ(app.GetAttachCount(), 1);
}

TEST(ZrAppAttach, FailedStartUpKeepsTheCountForTheMatchingDetach) {
    CountingApp app;
    app.failInit = true;
    EXPECT_FALSE(app.OnAttachDetach(nullptr, ZrApp::kReasonAttach, nullptr));
    EXPECT_EQ(app.exits, 1) << "a failed start-up is undone at once";
    EXPECT_EQ(app.GetAttachCount(), 1);
    EXPECT_TRUE(app.OnAttachDetach(nullptr, ZrApp::kReasonAttach, nullptr))
        << "a further attach only counts";
    EXPECT_EQ(app.inits, 1);
    app.OnAttachDetach(nullptr, ZrApp::kReasonDetach, nullptr);
    app.OnAttachDetach(nullptr, ZrApp::kReasonDetach, nullptr);
    EXPECT_EQ(app.exits, 2);
    EXPECT_EQ(app.GetAttachCount(), 0);
}

} // namespace
