// SubscribeBrightnessEvents against stand-in COM and WMI objects: every way through the
// subscription, with the exact calls, arguments and release order each one makes.
#include "BrightnessEvents.h"
#include "WmiFakeCom.h"
#include "WmiStdoutCapture.h"
#include "WmiTestWindow.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Journal = std::vector<std::string>;

const char kInitialize[] = "CoInitializeEx(null, 0)";
const char kSecurity[] = "CoInitializeSecurity(null, -1, null, null, 0, 3, null, 0, null)";
const char kCreateLocator[] = "CoCreateInstance(CLSID_WbemLocator, null, 1, IID_IWbemLocator)";
const char kConnect[] = "Locator.ConnectServer(ROOT\\WMI, null, null, null, 0, null, null)";
const char kProxyBlanket[] = "CoSetProxyBlanket(Services, 10, 0, null, 3, 3, null, 0)";
const char kCreateApartment[] = "CoCreateInstance(CLSID_UnsecuredApartment, null, 4, IID_IUnsecuredApartment)";
const char kCreateStub[] = "Apartment.CreateObjectStub(EventSink, refs 1)";
const char kQueryStub[] = "Stub.QueryInterface(IID_IWbemObjectSink)";
const char kExecQuery[] =
    "Services.ExecNotificationQueryAsync(WQL, SELECT * FROM WmiMonitorBrightnessEvent, 128, null, StubSink)";

Journal Concat(Journal a, const Journal& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const Journal kUpToApartment = {kInitialize, kSecurity, kCreateLocator, kConnect, kProxyBlanket, kCreateApartment};
const Journal kUpToQuery = Concat(kUpToApartment, {kCreateStub, kQueryStub, kExecQuery});

class BrightnessSubscribeTest : public ::testing::Test {
protected:
    int Subscribe() {
        WmiStdoutCapture capture;
        int result = SubscribeBrightnessEvents();
        printed = capture.Text();
        return result;
    }
    // Every reference the subscription took on the fakes was given back.
    void ExpectNothingHeld() {
        EXPECT_EQ(0, fake.locator.refs);
        EXPECT_EQ(0, fake.services.refs);
        EXPECT_EQ(0, fake.apartment.refs);
        EXPECT_EQ(0, fake.stub.refs);
        EXPECT_EQ(0, fake.stub.sinkFace.refs);
    }

    WmiFakeCom fake;
    std::string printed;
};

TEST_F(BrightnessSubscribeTest, SuccessHandsTheStubSinkToWmiAndKeepsNothingElse) {
    EXPECT_EQ(BRIGHTNESS_SUBSCRIBED, Subscribe());

    EXPECT_EQ(Concat(kUpToQuery, {"Apartment.Release", "Stub.Release", "Sink.Release", "StubSink.Release",
                                  "Services.Release", "Locator.Release"}),
              fake.journal.entries);
    EXPECT_TRUE(fake.services.Subscribed());
    EXPECT_EQ(1, fake.stub.sinkFace.refs);  // WMI's own
    EXPECT_EQ(1, fake.journal.SinkRefs());  // the stub's
    EXPECT_EQ("", printed);

    // Events keep arriving through WMI's reference, and end with it.
    WmiTestWindow window;
    WmiMainDialogBinding dialog(window.Handle());
    WmiFakeClassObject event = WmiFakeClassObject::WithBrightness(70);
    IWbemClassObject* batch[] = {&event};
    {
        WmiStdoutCapture capture;
        EXPECT_EQ(WBEM_S_NO_ERROR, fake.services.Deliver(1, batch));
        EXPECT_EQ("Event occurred the Value = 0\n", capture.Text());
    }
    ASSERT_EQ(1u, window.Received().size());
    EXPECT_EQ(70u, window.Received()[0].wParam);
    fake.services.EndSubscription();
    EXPECT_EQ(0, fake.journal.Close());
}

TEST_F(BrightnessSubscribeTest, RefusedQueryPrintsItsCodeAndReleasesInFailureOrder) {
    fake.services.queryResult = static_cast<HRESULT>(WBEM_E_INVALID_CLASS);

    EXPECT_EQ(BRIGHTNESS_QUERY_REFUSED, Subscribe());

    EXPECT_EQ(Concat(kUpToQuery, {"Services.Release", "Locator.Release", "Apartment.Release", "Stub.Release",
                                  "Sink.Release", "StubSink.Release", "CoUninitialize"}),
              fake.journal.entries);
    EXPECT_EQ("ExecNotificationQueryAsync failed with = 0x80041010\n", printed);
    ExpectNothingHeld();
    EXPECT_EQ(0, fake.journal.Close());
}

TEST_F(BrightnessSubscribeTest, EarlyFailuresReleaseWhatWasObtainedAndUninitializeOnce) {
    struct Case {
        const char* what;
        HRESULT WmiFakeCom::*comResult;
        HRESULT* objectResult;
        int expected;
        Journal journal;
    };
    const Case cases[] = {
        {"no locator", &WmiFakeCom::createLocatorResult, nullptr, BRIGHTNESS_NO_LOCATOR,
         {kInitialize, kSecurity, kCreateLocator, "CoUninitialize"}},
        {"namespace unreachable", nullptr, &fake.locator.connectResult, BRIGHTNESS_NO_NAMESPACE,
         {kInitialize, kSecurity, kCreateLocator, kConnect, "Locator.Release", "CoUninitialize"}},
        {"no proxy security", &WmiFakeCom::proxyBlanketResult, nullptr, BRIGHTNESS_NO_PROXY_SECURITY,
         {kInitialize, kSecurity, kCreateLocator, kConnect, kProxyBlanket, "Services.Release", "Locator.Release",
          "CoUninitialize"}},
        {"no unsecured apartment", &WmiFakeCom::createApartmentResult, nullptr, BRIGHTNESS_NO_UNSECURED_APARTMENT,
         Concat(kUpToApartment, {"Services.Release", "Locator.Release", "CoUninitialize"})},
        {"no stub", nullptr, &fake.apartment.createStubResult, BRIGHTNESS_NO_STUB,
         Concat(kUpToApartment,
                {kCreateStub, "Services.Release", "Locator.Release", "Apartment.Release", "Sink.Release",
                 "CoUninitialize"})},
        {"stub is no sink", nullptr, &fake.stub.queryResult, BRIGHTNESS_STUB_NOT_A_SINK,
         Concat(kUpToApartment, {kCreateStub, kQueryStub, "Services.Release", "Locator.Release",
                                 "Apartment.Release", "Stub.Release", "Sink.Release", "CoUninitialize"})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fake.journal = WmiJournal();
        HRESULT& failing = c.comResult != nullptr ? fake.*c.comResult : *c.objectResult;
        failing = E_FAIL;

        EXPECT_EQ(c.expected, Subscribe());

        EXPECT_EQ(c.journal, fake.journal.entries);
        EXPECT_EQ("", printed);
        ExpectNothingHeld();
        EXPECT_EQ(0, fake.journal.Close());
        failing = S_OK;
    }
}

}  // namespace
