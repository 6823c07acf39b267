// The brightness event sink: its COM identity and reference count, what an event sends to
// the main dialog's window, and the diagnostic lines it prints.
#include "EventSink.h"
#include "WmiFakeClassObject.h"
#include "WmiStdoutCapture.h"
#include "WmiTestWindow.h"
#include <gtest/gtest.h>
#include <atomic>
#include <memory>
#include <vector>

#include "common/SimSync.h"

namespace {

// A sink that reports its own destruction.
class CountedSink : public EventSink {
public:
    explicit CountedSink(int& destroyed) : m_destroyed(destroyed) {}
    ~CountedSink() override { ++m_destroyed; }

private:
    int& m_destroyed;
};

// A sink held once, as the subscription leaves it with the stub.
class BrightnessSinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        sink = new CountedSink(destroyed);
        ASSERT_EQ(1u, sink->AddRef());
    }
    void TearDown() override {
        if (destroyed == 0)
            sink->Release();
    }
    ULONG Count() {
        sink->AddRef();
        return sink->Release();
    }

    int destroyed = 0;
    EventSink* sink = nullptr;
};

TEST_F(BrightnessSinkTest, ReleaseDeletesExactlyWhenTheLastReferenceGoes) {
    EXPECT_EQ(2u, sink->AddRef());
    EXPECT_EQ(1u, sink->Release());
    EXPECT_EQ(0, destroyed);
    EXPECT_EQ(0u, sink->Release());
    EXPECT_EQ(1, destroyed);
}

// Runs body on several threads at once, released together so that they really contend.
template <class Body>
void OnThreadsAtOnce(int threads, Body body) {
    std::atomic<bool> go(false);
    std::vector<std::unique_ptr<simnb::Thread>> running;
    int started = 0;
    for (int t = 0; t < threads; ++t) {
        running.push_back(std::make_unique<simnb::Thread>());
        started += running.back()->Start([&go, &body] {
            while (!go.load())
                ::SwitchToThread();
            body();
        });
    }
    go = true;
    running.clear();  // joins them
    EXPECT_EQ(threads, started);
}

TEST_F(BrightnessSinkTest, CountStaysExactUnderConcurrentAddRefAndRelease) {
    const int kThreads = 4;
    const int kRounds = 100000;
    OnThreadsAtOnce(kThreads, [this] {
        for (int i = 0; i < kRounds; ++i)
            sink->AddRef();
    });
    EXPECT_EQ(1u + kThreads * kRounds, Count());

    OnThreadsAtOnce(kThreads, [this] {
        for (int i = 0; i < kRounds; ++i) {
            sink->AddRef();
            sink->Release();
            sink->Release();
        }
    });
    EXPECT_EQ(0, destroyed);
    EXPECT_EQ(1u, Count());
}

TEST_F(BrightnessSinkTest, QueryInterfaceAnswersOnlyForIUnknownAndIWbemObjectSink) {
    void* out = nullptr;
    EXPECT_EQ(S_OK, sink->QueryInterface(IID_IUnknown, &out));
    EXPECT_EQ(static_cast<IWbemObjectSink*>(sink), out);
    EXPECT_EQ(S_OK, sink->QueryInterface(IID_IWbemObjectSink, &out));
    EXPECT_EQ(static_cast<IWbemObjectSink*>(sink), out);
    EXPECT_EQ(3u, Count());
    sink->Release();
    sink->Release();

    // IWbemObjectSink's identifier with one byte changed must not pass as it.
    IID nearSink = IID_IWbemObjectSink;
    nearSink.Data4[7] ^= 1;
    for (REFIID other : {IID_IWbemServices, IID_IDispatch, IID_IWbemLocator, static_cast<const IID&>(nearSink)}) {
        out = reinterpret_cast<void*>(1);
        EXPECT_EQ(E_NOINTERFACE, sink->QueryInterface(other, &out));
        EXPECT_EQ(nullptr, out);
    }
    EXPECT_EQ(1u, Count());
}

// A sink delivering to a window on another thread that stands for the main dialog.
class BrightnessIndicateTest : public BrightnessSinkTest {
protected:
    HRESULT Indicate(std::vector<WmiFakeClassObject*> objects, std::string* printed) {
        std::vector<IWbemClassObject*> batch(objects.begin(), objects.end());
        WmiStdoutCapture capture;
        HRESULT hr = sink->Indicate(static_cast<LONG>(batch.size()), batch.empty() ? nullptr : batch.data());
        *printed = capture.Text();
        return hr;
    }

    WmiTestWindow window;
};

TEST_F(BrightnessIndicateTest, OneEventSendsItsBrightnessSynchronouslyAndPrintsOneLine) {
    WmiMainDialogBinding dialog(window.Handle());
    WmiFakeClassObject event = WmiFakeClassObject::WithBrightness(70);
    std::string printed;

    EXPECT_EQ(WBEM_S_NO_ERROR, Indicate({&event}, &printed));

    // Already there when Indicate returns: the message was sent, not posted.
    std::vector<WmiReceivedMessage> received = window.Received();
    ASSERT_EQ(1u, received.size());
    EXPECT_EQ(70u, received[0].wParam);
    EXPECT_EQ(0, received[0].lParam);
    EXPECT_EQ(window.ThreadId(), received[0].threadId);
    EXPECT_EQ("Event occurred the Value = 0\n", printed);
    ASSERT_EQ(1u, event.reads.size());
    EXPECT_EQ(L"Brightness", event.reads[0].name);
    EXPECT_EQ(0, event.reads[0].flags);
    EXPECT_FALSE(event.reads[0].typeWanted);
    EXPECT_FALSE(event.reads[0].flavorWanted);
}

TEST_F(BrightnessIndicateTest, BatchSendsOnlyTheFirstBrightnessButPrintsALinePerObject) {
    WmiMainDialogBinding dialog(window.Handle());
    WmiFakeClassObject first = WmiFakeClassObject::WithBrightness(255);
    WmiFakeClassObject second = WmiFakeClassObject::WithBrightness(10);
    WmiFakeClassObject third = WmiFakeClassObject::WithBrightness(20);
    std::string printed;

    EXPECT_EQ(WBEM_S_NO_ERROR, Indicate({&first, &second, &third}, &printed));

    std::vector<WmiReceivedMessage> received = window.Received();
    ASSERT_EQ(1u, received.size());
    EXPECT_EQ(255u, received[0].wParam);  // zero-extended, not sign-extended
    EXPECT_EQ(0, received[0].lParam);
    EXPECT_EQ("Event occurred the Value = 0\nEvent occurred the Value = 0\nEvent occurred the Value = 0\n",
              printed);
    EXPECT_TRUE(second.reads.empty());
    EXPECT_TRUE(third.reads.empty());
}

TEST_F(BrightnessIndicateTest, EmptyBatchReadsSendsAndPrintsNothing) {
    WmiMainDialogBinding dialog(window.Handle());
    WmiFakeClassObject event = WmiFakeClassObject::WithBrightness(70);
    IWbemClassObject* batch[] = {&event};
    WmiStdoutCapture capture;

    EXPECT_EQ(WBEM_S_NO_ERROR, sink->Indicate(0, batch));
    EXPECT_EQ(WBEM_S_NO_ERROR, sink->Indicate(0, nullptr));
    EXPECT_EQ(WBEM_S_NO_ERROR, sink->Indicate(1, nullptr));

    EXPECT_EQ("", capture.Text());
    EXPECT_TRUE(window.Received().empty());
    EXPECT_TRUE(event.reads.empty());
}

TEST_F(BrightnessIndicateTest, FailedOrMistypedReadSendsZeroAndPrintsTheReadResult) {
    WmiMainDialogBinding dialog(window.Handle());
    VARIANT text;
    ::VariantInit(&text);
    V_VT(&text) = VT_BSTR;
    V_BSTR(&text) = ::SysAllocString(L"70");
    WmiFakeClassObject notFound(static_cast<HRESULT>(WBEM_E_NOT_FOUND), text);
    WmiFakeClassObject mistyped(WBEM_S_NO_ERROR, text);
    ::VariantClear(&text);
    std::string printedNotFound;
    std::string printedMistyped;

    EXPECT_EQ(WBEM_S_NO_ERROR, Indicate({&notFound}, &printedNotFound));
    EXPECT_EQ(WBEM_S_NO_ERROR, Indicate({&mistyped}, &printedMistyped));

    std::vector<WmiReceivedMessage> received = window.Received();
    ASSERT_EQ(2u, received.size());
    EXPECT_EQ(0u, received[0].wParam);
    EXPECT_EQ(0u, received[1].wParam);
    EXPECT_EQ("Event occurred the Value = " + std::to_string(static_cast<int>(WBEM_E_NOT_FOUND)) + "\n",
              printedNotFound);
    EXPECT_EQ("Event occurred the Value = 0\n", printedMistyped);
}

TEST_F(BrightnessIndicateTest, EventAfterTheMainDialogIsGoneSendsNothing) {
    { WmiMainDialogBinding dialog(window.Handle()); }
    WmiFakeClassObject event = WmiFakeClassObject::WithBrightness(40);
    std::string printed;

    EXPECT_EQ(WBEM_S_NO_ERROR, Indicate({&event}, &printed));

    EXPECT_TRUE(window.Received().empty());
    EXPECT_EQ("Event occurred the Value = 0\n", printed);
}

TEST_F(BrightnessSinkTest, SetStatusPrintsCompletionAndProgressOnly) {
    std::string complete, progress, other;
    {
        WmiStdoutCapture capture;
        EXPECT_EQ(WBEM_S_NO_ERROR, sink->SetStatus(WBEM_STATUS_COMPLETE, static_cast<HRESULT>(WBEM_E_ACCESS_DENIED), nullptr, nullptr));
        complete = capture.Text();
    }
    {
        WmiStdoutCapture capture;
        EXPECT_EQ(WBEM_S_NO_ERROR, sink->SetStatus(WBEM_STATUS_PROGRESS, S_OK, nullptr, nullptr));
        progress = capture.Text();
    }
    {
        WmiStdoutCapture capture;
        EXPECT_EQ(WBEM_S_NO_ERROR, sink->SetStatus(1, E_FAIL, nullptr, nullptr));
        other = capture.Text();
    }
    EXPECT_EQ("Call complete. hResult = 0x80041003\n", complete);
    EXPECT_EQ("Call in progress.\n", progress);
    EXPECT_EQ("", other);
}

}  // namespace
