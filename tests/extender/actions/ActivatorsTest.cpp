// Triggers and agents: the keys they read, the agents a trigger builds, what
// an agent runs, and the order and completeness of attach and release.
#include <gtest/gtest.h>

#include "RulePartsTestSupport.h"
#include "uEAActivators.h"
#include "uEACaptionButtonTriggers.h"

using namespace vpw;
using namespace vpw::test;

namespace {

const ::testing::Environment* const environment = ::testing::AddGlobalTestEnvironment(new RulePartsEnvironment);

TEST(ActionActivator, ActionKindConcreteInAnyCase) {
    struct Case {
        const char* params;
        std::uint8_t kind;
    } cases[] = {
        {"\\ACTIONKIND=concrete", 1}, {"\\ACTIONKIND=Concrete", 1}, {"\\ACTIONKIND=CONCRETE", 1},
        {"\\ACTIONKIND=next", 0},     {"\\ACTIONKIND=", 0},         {"\\ACTIONKIND=concretely", 0},
        {"", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.params);
        IPtr<IAgent> agent = NewItem<TActionActivator>(std::string("\\NAME=A\\ACTIONNAME=Act\\OPERATIONNAME=Op") +
                                                       c.params);
        EXPECT_EQ(agent->GetActionKind(), c.kind);
        EXPECT_EQ(agent->GetActionName(), "Act");
        EXPECT_EQ(agent->GetOperationName(), "Op");
    }
}

TEST(ActionsActivator, UnnamedTriggersCountUpAndANameWins) {
    IPtr<TActionsActivator> first = NewItem<TActionsActivator>();
    IPtr<TActionsActivator> second = NewItem<TEACaptionButtonTrigger>();
    const std::string prefix = "ActionsActivator";
    ASSERT_EQ(first->GetName().rfind(prefix, 0), 0u);
    int n = std::stoi(first->GetName().substr(prefix.size()));
    EXPECT_EQ(second->GetName(), prefix + std::to_string(n + 1));
    EXPECT_EQ(NewItem<TActionsActivator>("\\NAME=Mine")->GetName(), "Mine");
}

TEST(ActionsActivator, AgentsAreOfTheTriggersDefaultClass) {
    struct Case {
        const char* what;
        bool captionTrigger;
        const char* params;
        int agents;
    } cases[] = {
        {"the base class has no agent class", false, "\\AGENT={\\NAME=A}", 0},
        {"one agent", true, "\\AGENT={\\NAME=A\\ACTIONNAME=X}", 1},
        {"two agents", true, "\\AGENT={\\NAME=A}\\AGENT={\\NAME=B}", 2},
        {"a name taken twice keeps the first", true, "\\AGENT={\\NAME=A}\\AGENT={\\NAME=a}", 1},
        {"two unnamed agents keep the first", true, "\\AGENT={\\ACTIONNAME=X}\\AGENT={\\ACTIONNAME=Y}", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        IPtr<TActionsActivator> trigger = c.captionTrigger ? IPtr<TActionsActivator>(NewItem<TEACaptionButtonTrigger>(c.params))
                                                           : NewItem<TActionsActivator>(c.params);
        EXPECT_EQ(trigger->GetAgents()->Count(), c.agents);
        if (c.agents > 0) {
            EXPECT_TRUE(Supports<ICaptionButtonAgent>(trigger->GetAgents()->GetActionActivator(0)));
        }
    }
}

TEST(ActionActivator, RunsTheNamedOrTheNextOperationOfItsAction) {
    struct Case {
        const char* agent;
        std::vector<std::string> applied;
    } cases[] = {
        {"\\ACTIONNAME=Rec\\ACTIONKIND=concrete\\OPERATIONNAME=FIRST", {"FIRST"}},
        {"\\ACTIONNAME=Rec\\ACTIONKIND=concrete", {""}},
        {"\\ACTIONNAME=Rec\\ACTIONKIND=next\\OPERATIONNAME=FIRST", {"SECOND"}},
        {"\\ACTIONNAME=rec", {"SECOND"}},
        {"\\ACTIONNAME=Missing\\ACTIONKIND=concrete\\OPERATIONNAME=FIRST", {}},
        {"", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.agent);
        TTargetWindow window;
        TAttachedRule rule(window.Get(), std::string("\\WINDOWRULENAME=Run\\ACTION=RECORDINGACTION{\\NAME=Rec}"
                                                     "\\TRIGGER=CAPTIONBUTTONTRIGGER{\\AGENT={\\NAME=A") +
                                             c.agent + "}}");
        auto* trigger = dynamic_cast<TActionsActivator*>(rule.Trigger(0).get());
        ASSERT_NE(trigger, nullptr);
        TRecordingAction::Applied().clear();
        trigger->Fire();
        EXPECT_EQ(TRecordingAction::Applied(), c.applied);
    }
}

TEST(ActionsActivator, AttachesBeforeItsAgentsAndBindsThemToTheirAction) {
    TTargetWindow window;
    TAttachedRule rule(window.Get(),
                       "\\WINDOWRULENAME=Order\\ACTION=STAYONTOPACTION{\\NAME=Top}"
                       "\\TRIGGER=CAPTIONBUTTONTRIGGER{\\AGENT={\\NAME=A\\ACTIONNAME=Top}\\AGENT={\\NAME=B\\ACTIONNAME=Top}}");
    auto* extender = dynamic_cast<TWindowExtender*>(rule.Extender().get());
    ASSERT_NE(extender, nullptr);
    IPtr<IMessageHandlers> handlers = extender->GetMessageHandlers();
    auto* trigger = dynamic_cast<TActionsActivator*>(rule.Trigger(0).get());
    ASSERT_NE(trigger, nullptr);
    // The stay-on-top action first, then the trigger, then its agents in order.
    ASSERT_EQ(handlers->Count(), 4);
    EXPECT_EQ(handlers->GetMessageHandler(1).get(), static_cast<IMessageHandler*>(trigger));
    EXPECT_EQ(Supports<IAgent>(handlers->GetMessageHandler(2))->GetName(), "A");
    EXPECT_EQ(Supports<IAgent>(handlers->GetMessageHandler(3))->GetName(), "B");

    IPtr<IPublisherSlave> publisher = Supports<IPublisherSlave>(rule.Action("Top")->GetPublisher());
    EXPECT_EQ(publisher->GetObservers()->Count(), 2);
    rule.Extender()->DetachWindow();
    EXPECT_EQ(handlers->Count(), 0);
    rule.Extender()->Disconnect();
    EXPECT_EQ(publisher->GetObservers()->Count(), 0);
}

TEST(ActionsActivator, ReleasingTheExtenderReleasesEveryItem) {
    int before = TDebugInterfacedObject::LiveObjects();
    {
        TTargetWindow window;
        TAttachedRule rule(window.Get(),
                           "\\WINDOWRULENAME=Leak\\ACTION=STAYONTOPACTION{\\NAME=Top}"
                           "\\ACTION=CLOSEWINDOWACTION{\\NAME=Close}"
                           "\\TRIGGER=CAPTIONBUTTONTRIGGER{\\AGENT={\\NAME=A\\ACTIONNAME=Top}"
                           "\\AGENT={\\NAME=B\\ACTIONNAME=Close}}");
        ASSERT_TRUE(rule.Action("Top"));
        rule.Action("Top")->ExecuteNextOperation();
        Pump(50);
    }
    EXPECT_EQ(TDebugInterfacedObject::LiveObjects(), before);
}

}  // namespace
