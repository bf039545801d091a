// The request records and sendRequest's handling of the driver's answers.
#include <cstring>

#include "api/card_table.h"
#include "card/send_request.h"
#include "card/switches.h"
#include "device_files.h"
#include "support/harness.h"
#include "virtual_card.h"

namespace {

class RequestLayerTest : public CardTest {
protected:
    void SetUp() override
    {
        CardTest::SetUp();
        ASSERT_EQ(DCardInit(0), 1);
        device = cardTable().cards[0].device;
        sim::card(0).clearRequests();
    }

    void fail(sim::Fault::Kind kind, uint32_t status = 1)
    {
        sim::Fault fault;
        fault.kind = kind;
        fault.status = status;
        sim::card(0).injectFault(fault);
    }

    HANDLE device = INVALID_HANDLE_VALUE;
};

TEST_F(RequestLayerTest, BuildersSetCodeSizeAndStatus)
{
    const uint32_t sizes[17] = {48, 52, 52, 40, 76, 64, 48, 48, 48, 312, 1068, 60, 60, 56, 80, 72, 48};
    for (int code = 0; code < driver::kCodeCount; ++code) {
        driver::Header header;
        memset(&header, 0xAB, sizeof(header));
        driver::initHeader(header, static_cast<driver::Code>(code));
        EXPECT_EQ(header.code, code);
        EXPECT_EQ(header.size, sizes[code]) << driver::kCodes[code].name;
        EXPECT_EQ(header.status, 2u);
        EXPECT_EQ(header.reserved0 | header.reserved1 | header.reserved2[0] | header.reserved2[3], 0u);
    }
    auto digit = driver::makeRequest<driver::DigitRequest>();
    EXPECT_EQ(digit.header.code, driver::Digit);
    EXPECT_EQ(digit.camera | digit.width | digit.height | digit.frameBytes, 0);
}

TEST_F(RequestLayerTest, SuccessIsStatusZeroWithTheFullCount)
{
    auto request = driver::makeRequest<driver::CardInfoRequest>();
    EXPECT_EQ(sendRequest(request, device), 1);
    EXPECT_EQ(request.header.status, 0u);
    EXPECT_EQ(request.decoderType, 2);
    auto sent = sim::card(0).requests();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].controlCode, 0x9C406400u);
    EXPECT_EQ(sent[0].sent.size(), 48u);
}

TEST_F(RequestLayerTest, NotSupportedSetsTheLastError)
{
    SetLastError(12345);
    fail(sim::Fault::Status, 4);
    auto request = driver::makeRequest<driver::CardInfoRequest>();
    EXPECT_EQ(sendRequest(request, device), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));

    // Codes the card does not know get the same answer.
    SetLastError(12345);
    driver::UnmapMemoryRequest unknown = driver::makeRequest<driver::UnmapMemoryRequest>();
    unknown.header.code = driver::kCodeCount;
    EXPECT_EQ(sendRequest(unknown, device), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
}

TEST_F(RequestLayerTest, OtherStatusesFailWithoutTouchingTheLastError)
{
    for (uint32_t status : {1u, 3u, 2u}) {
        SetLastError(12345);
        fail(sim::Fault::Status, status);
        auto request = driver::makeRequest<driver::CardInfoRequest>();
        EXPECT_EQ(sendRequest(request, device), 0) << status;
        EXPECT_EQ(GetLastError(), 12345u) << status;
    }
}

TEST_F(RequestLayerTest, ShortCountFailsEvenWithStatusZero)
{
    fail(sim::Fault::ShortCount);
    auto request = driver::makeRequest<driver::CardInfoRequest>();
    EXPECT_EQ(sendRequest(request, device), 0);
    EXPECT_EQ(request.header.status, 0u);
}

TEST_F(RequestLayerTest, FailedCallFails)
{
    fail(sim::Fault::CallFails);
    auto request = driver::makeRequest<driver::CardInfoRequest>();
    EXPECT_EQ(sendRequest(request, device), 0);
}

TEST_F(RequestLayerTest, ClosedDeviceAndUnsetCodeMakeNoCall)
{
    int calls = sim::deviceCalls().controls;
    auto request = driver::makeRequest<driver::CardInfoRequest>();
    EXPECT_EQ(sendRequest(request, INVALID_HANDLE_VALUE), 0);
    testMode = true;
    EXPECT_EQ(sendRequest(request, INVALID_HANDLE_VALUE), 0);
    testMode = false;
    driver::Header unset{};
    unset.code = -1;
    EXPECT_EQ(sendRequest(unset, device), 0);
    EXPECT_EQ(sim::deviceCalls().controls, calls);
}

TEST_F(RequestLayerTest, TestModeSucceedsWithoutSending)
{
    testMode = true;
    int calls = sim::deviceCalls().controls;
    auto request = driver::makeRequest<driver::GetRegRequest>();
    request.camera = 3;
    request.regNum = 0x70;
    EXPECT_EQ(sendRequest(request, device), 1);
    EXPECT_EQ(request.header.status, 2u);
    EXPECT_EQ(request.value, 0u);
    EXPECT_EQ(request.camera, 3);
    EXPECT_EQ(sim::deviceCalls().controls, calls);
}

TEST_F(RequestLayerTest, OlderFamilyUsesItsOwnControlCode)
{
    harness::resetAll();
    harness::setOs("Windows 95");
    ASSERT_EQ(DCardInit(0), 1);
    auto request = driver::makeRequest<driver::CardInfoRequest>();
    EXPECT_EQ(sendRequest(request, cardTable().cards[0].device), 1);
    EXPECT_EQ(sim::card(0).requests().back().controlCode,
              harness::kOlderFamily ? 0x00FC0000u : 0x9C406400u)
        << "a 64-bit build opens the newer family whatever OS says";
}

} // namespace
