// The formats of infrared blasters that home-automation users hold: Global Caché sendir commands,
// Broadlink packets (lines and the Home Assistant code store) and Tasmota's raw forms. Real-looking
// files, bad files with their exact errors, and round trips over random codes within each format's
// resolution.
#include "core/formats/broadlink.h"
#include "core/formats/codeformats.h"
#include "core/formats/globalcache.h"
#include "core/formats/tasmota.h"
#include "core/protocols/protocols.h"

#include "filecases.h"
#include "recordcompare.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>

namespace {

std::vector<int> times(std::vector<int> once, int copies)
{
    std::vector<int> out;
    for (int i = 0; i < copies; ++i)
        out.insert(out.end(), once.begin(), once.end());
    return out;
}

// A packet as a Broadlink device learns it: a frame, a repeat frame, the 0x0D 0x05 end whose first
// byte lies inside the length, and padding.
const QByteArray LearnedPacket = "JgBQAAABKZIUEhQ2FBITEhQSFBIUEhQSEzcUNxM3FDYUNxQ2FDcTNxQSEzcUEhQSFBEUEhQSFDYUEhQ2FDcUNhQ3EzcUNxQSFDYUAAUZAAEqRxQADQUAAAAAAAAAAAAAAAAAAA==";
const std::vector<int> LearnedUs = {
    9753, 4794, 657, 591,  657, 1773, 657, 591, 624, 591, 657, 591, 657, 591, 657, 591,  657, 591,  624,   1806,
    657,  1806, 624, 1806, 657, 1773, 657, 1806, 657, 1773, 657, 1806, 624, 1806, 657, 591,  624, 1806,  657,  591,
    657,  591,  657, 558,  657, 591,  657, 591,  657, 1773, 657, 591,  657, 1773, 657, 1806, 657, 1773, 657,  1806,
    624,  1806, 657, 1806, 657, 591,  657, 1773, 657, 42852, 9785, 2331, 657, 109445};

const QByteArray HomeAssistantStore = R"({
  "version": 1,
  "minor_version": 1,
  "key": "broadlink_remote_34ea34b43b5a_codes",
  "data": {
    "tv": {
      "power": ")" + LearnedPacket + R"(",
      "volume": ["JgAEABAgMEANBQ==", "JgEEABAgMEANBQ=="]
    },
    "garage": {
      "open": "sgAEABAgMEANBQ=="
    }
  }
})";

INSTANTIATE_TEST_SUITE_P(
    Blasters, GoodFileTest,
    ::testing::Values(
        // 38 kHz: a period is 26.316 µs; 342 periods are 9000 µs, 65 are 1710.5 µs.
        GoodCase{"SendirOnce", ImportGlobalCache, "sendir,1:1,1,38000,1,1,342,171,22,22,22,65,22,1520\n",
                 {Record("sendir 1", {9000, 4500, 579, 579, 579, 1711, 579, 40000}, 38000)}},
        // Sent twice in all, the second time from the third duration on.
        GoodCase{"SendirRepeatFromOffset", ImportGlobalCache, "# 音量+\r\nsendir,2:3,7,40000,2,3,100,50,20,60\r\n",
                 {Record("音量+", {2500, 1250, 500, 1500, 500, 1500}, 40000)}},
        GoodCase{"BroadlinkLearnedBase64", ImportBroadlink, "# power\n" + LearnedPacket + "\n", {Record("power", LearnedUs)}},
        // 16, 32, 48 and 64 ticks of 32.837 µs, sent twice (repeat byte 1).
        GoodCase{"BroadlinkHexRepeated", ImportBroadlink, "26010400 10203040 0d05\n",
                 {Record("博联 1", times({525, 1051, 1576, 2102}, 2))}},
        GoodCase{"BroadlinkB64PrefixAndLongForm", ImportBroadlink, "b64:JgAFABAgAAAwDQU=\n",
                 {Record("博联 1", {525, 1051, 1576})}},
        GoodCase{"HomeAssistantStoreOneRemotePerDevice", ImportBroadlinkStore, HomeAssistantStore,
                 {onRemote(Record("power", LearnedUs), "tv"),
                  onRemote(Record("volume 1", {525, 1051, 1576, 2102}), "tv"),
                  onRemote(Record("volume 2", times({525, 1051, 1576, 2102}, 2)), "tv")},
                 1},
        GoodCase{"TasmotaPlainWithCommand", ImportTasmota, "IRsend 38000,9000,4500,560,560,560\n",
                 {Record("Tasmota 1", {9000, 4500, 560, 560, 560}, 38000)}},
        // A = 9185, B = 4490, C = 650, D = 500, E = 655; upper case a mark, lower case a space.
        GoodCase{"TasmotaCompactWithLetters", ImportTasmota, "# ok\n0,+9185-4490+650-500+655dE-1630C-505\n",
                 {Record("ok", {9185, 4490, 650, 500, 655, 500, 655, 1630, 650, 505}, 38000)}},
        GoodCase{"TasmotaSignedInKilohertz", ImportTasmota, "36, +100, -200, +300\n", {Record("Tasmota 1", {100, 200, 300}, 36000)}}),
    [](const auto &info) { return info.param.name; });

// The tick's rounding stays far inside what the protocol decoders accept.
TEST(Broadlink, EncodedCodeIsIdentifiedAgainAfterAPacket)
{
    for (const TProtocolCode &sent : {TProtocolCode{"NEC", 0x04, 0x08, 32, {}}, TProtocolCode{"RC5", 0x05, 0x0C, 14, {}},
                                      TProtocolCode{"SIRC", 0x01, 0x15, 12, {}}}) {
        SCOPED_TRACE(sent.Protocol.toStdString());
        const std::optional<TIrCode> code = EncodeCode(sent);
        ASSERT_TRUE(code.has_value());
        const TImport in = ImportBroadlink(ExportBroadlink({TCodeRecord{"k", {}, {}, {}, *code}}).Text);
        ASSERT_TRUE(in.Ok()) << in.Error.toStdString();
        const std::optional<TProtocolCode> named = IdentifyCode(in.Records.at(0).Code.DurationsUs);
        ASSERT_TRUE(named.has_value());
        EXPECT_EQ(named->Protocol, sent.Protocol);
        EXPECT_EQ(named->Address, sent.Address);
        EXPECT_EQ(named->Command, sent.Command);
    }
}

TEST(Broadlink, RefusedStoreCodeNamesItsDeviceCommandAndReason)
{
    const TImport in = ImportBroadlinkStore(HomeAssistantStore);
    ASSERT_EQ(in.Refused.size(), 1u);
    EXPECT_EQ(in.Refused[0].Text().toStdString(), "garage/open：这是射频数据包（首字节 B2），不是红外");
}

TEST(Broadlink, StoreWithNothingReadableListsEveryCodeWithItsReason)
{
    const TImport in = ImportBroadlinkStore("{\"data\": {\"tv\": {\"power\": 7, \"\": \"JgAEABAgMEANBQ==\"}}}");
    ASSERT_TRUE(in.Ok()) << in.Error.toStdString();
    EXPECT_TRUE(in.Records.empty());
    EXPECT_EQ(RefusalsText(in.Refused).toStdString(), "tv/：命令名为空\ntv/power：编码应为 base64 字符串");
}

struct BlasterBadCase {
    const char *name;
    TImporter import;
    QByteArray text;
    const char *error;
};

class BlasterBadFileTest : public ::testing::TestWithParam<BlasterBadCase> {};

TEST_P(BlasterBadFileTest, GivesTheExactErrorAndNoCodes)
{
    const TImport in = GetParam().import(GetParam().text);
    EXPECT_TRUE(in.Records.empty());
    EXPECT_EQ(in.Error.toStdString(), std::string(GetParam().error));
}

const QByteArray GoodSendir = "sendir,1:1,1,38000,1,1,342,171,22,1520\n";

INSTANTIATE_TEST_SUITE_P(
    Formats, BlasterBadFileTest,
    ::testing::Values(
        BlasterBadCase{"SendirOtherCommand", ImportGlobalCache, GoodSendir + "sendirx,1:1,1,38000,1,1,342,171\n",
                "第 2 行：应以“sendir,”开头，却是 “sendirx,1:1,1,38000,1,1,342,171”"},
        BlasterBadCase{"SendirNoConnector", ImportGlobalCache, "sendir,1,1,38000,1,1,342,171\n", "第 1 行：地址 “1” 应为“模块:接口”"},
        BlasterBadCase{"SendirCarrierTooLow", ImportGlobalCache, "sendir,1:1,1,9000,1,1,342,171\n",
                "第 1 行：载波 “9000” 不是 15000 到 500000 之间的整数"},
        BlasterBadCase{"SendirRepeatZero", ImportGlobalCache, "sendir,1:1,1,38000,0,1,342,171\n",
                "第 1 行：重复次数 “0” 不是 1 到 50 之间的整数"},
        BlasterBadCase{"SendirEvenOffset", ImportGlobalCache, "sendir,1:1,1,38000,1,2,342,171\n", "第 1 行：偏移 “2” 应为正奇数"},
        BlasterBadCase{"SendirOffsetBeyondEnd", ImportGlobalCache, "sendir,1:1,1,38000,2,5,342,171\n", "第 1 行：偏移 5 超过时长个数 2"},
        BlasterBadCase{"SendirZeroPeriods", ImportGlobalCache, "sendir,1:1,1,38000,1,1,342,0\n",
                "第 1 行：第 2 个时长 “0” 不是 1 到 65535 之间的周期数"},
        BlasterBadCase{"SendirCompressed", ImportGlobalCache, "sendir,1:1,1,38000,1,1,342,171,22,22AB\n",
                "第 1 行：“22AB” 用了压缩格式（字母代替前面的脉冲对），不支持"},
        BlasterBadCase{"SendirRepeatEndingOnMark", ImportGlobalCache, "sendir,1:1,1,38000,2,1,342,171,22\n",
                "第 1 行：重复发送的 sendir 应以间隔结束，它却有奇数个时长"},
        BlasterBadCase{"SendirWithoutDurations", ImportGlobalCache, "sendir,1:1,1,38000,1,1\n", "第 1 行：sendir 没有时长"},
        BlasterBadCase{"SendirEmpty", ImportGlobalCache, "# nothing\n", "文件中没有 sendir 命令"},
        BlasterBadCase{"BroadlinkNotBase64", ImportBroadlink, "JgB*AAAB\n", "第 1 行：“JgB*AAAB” 既不是 base64 也不是十六进制"},
        BlasterBadCase{"BroadlinkOddHex", ImportBroadlink, "260004001\n", "第 1 行：十六进制数据包 “260004001” 的位数是奇数"},
        BlasterBadCase{"BroadlinkTooShort", ImportBroadlink, "2600\n", "第 1 行：博联数据包只有 2 字节，至少要有 4 字节"},
        BlasterBadCase{"BroadlinkRadio", ImportBroadlink, "d7000200 1020\n", "第 1 行：这是射频数据包（首字节 D7），不是红外"},
        BlasterBadCase{"BroadlinkOtherType", ImportBroadlink, "27000200 1020\n", "第 1 行：首字节 27 不是红外数据包的 26"},
        BlasterBadCase{"BroadlinkLengthBeyondPacket", ImportBroadlink, "26000900 1020\n", "第 1 行：长度字段为 9 字节，数据包只有 2 字节"},
        BlasterBadCase{"BroadlinkLongValueCut", ImportBroadlink, "26000200 1000 01\n", "第 1 行：第 2 个时长在数据包末尾被截断"},
        BlasterBadCase{"BroadlinkZeroLongValue", ImportBroadlink, "26000400 10000000\n", "第 1 行：第 2 个时长为 0"},
        BlasterBadCase{"BroadlinkNoDurations", ImportBroadlink, "26000000 0d05\n", "第 1 行：数据包没有时长"},
        BlasterBadCase{"BroadlinkRepeatEndingOnMark", ImportBroadlink, "26030300 102030\n",
                "第 1 行：重复 3 次的数据包应以间隔结束，它却以脉冲结束"},
        BlasterBadCase{"BroadlinkRepeatsTooLong", ImportBroadlink, "26ff" + QByteArray("2003") + QByteArray(800 * 2, '1') + "\n",
                "第 1 行：重复 255 次后有 204800 个时长，超过 100000 个"},
        BlasterBadCase{"StoreNotJson", ImportBroadlinkStore, "{\n  \"data\": {\n    \"tv\": {\"power\": JgB}\n", "第 3 行：不是有效的 JSON：illegal number"},
        BlasterBadCase{"StoreWithoutData", ImportBroadlinkStore, "{\"version\": 1}", "不是 Home Assistant 的博联编码库：缺少对象“data”"},
        BlasterBadCase{"StoreDeviceNotObjectAfterAGoodOne", ImportBroadlinkStore,
                "{\"data\": {\"amp\": {\"on\": \"JgAEABAgMEANBQ==\"}, \"tv\": \"JgB\"}}", "设备 tv 的值应为对象（命令到编码）"},
        BlasterBadCase{"StoreEmpty", ImportBroadlinkStore, "{\"data\": {}}", "编码库中没有编码"},
        BlasterBadCase{"TasmotaNoCarrier", ImportTasmota, "+9000-4500\n", "第 1 行：应以载波和逗号开头（如“0,”或“38000,”），却是 “+9000-4500”"},
        BlasterBadCase{"TasmotaAbsurdCarrier", ImportTasmota, "5000,9000,4500\n", "第 1 行：载波 5000 赫兹不在 10000 到 1000000 赫兹 之内"},
        BlasterBadCase{"TasmotaLetterBeforeItsNumber", ImportTasmota, "0,+9000-4500C\n", "第 1 行：字母 C 指第 3 个写出的数，此前只写出 2 个"},
        BlasterBadCase{"TasmotaMarkLetterForSpace", ImportTasmota, "0,+9000A\n", "第 1 行：第 2 个时长应为间隔，字母 A 却是脉冲"},
        BlasterBadCase{"TasmotaSpaceFirst", ImportTasmota, "0,-9000\n", "第 1 行：第 1 个时长应为脉冲，却以“-”开头"},
        BlasterBadCase{"TasmotaGarbage", ImportTasmota, "0,+9000-45#0\n", "第 1 行：“#0” 不是时长"},
        BlasterBadCase{"TasmotaZero", ImportTasmota, "38000,9000,0\n", "第 1 行：第 2 个时长 0 微秒不在 1 到 10000000 微秒之内"},
        BlasterBadCase{"TasmotaNothingAfterCarrier", ImportTasmota, "IRsend 0,\n", "第 1 行：载波之后没有时长"}),
    [](const auto &info) { return info.param.name; });

// A random code, sometimes a once part followed by copies of a block, as blasters repeat.
TCodeRecord randomCode(std::mt19937 &rng, int index, int maxUs, int maxCopies, bool withOnce)
{
    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); };
    auto durations = [&](int n) {
        std::vector<int> d;
        for (int k = 0; k < n; ++k)
            d.push_back(pick(1, maxUs));
        return d;
    };
    TCodeRecord r;
    r.Name = QString("code %1").arg(index);
    r.Code.CarrierHz = pick(0, 1) == 0 ? 0 : pick(30000, 60000);
    if (pick(0, 1) == 0) {
        r.Code.DurationsUs = durations(pick(1, 150));
        return r;
    }
    r.Code.DurationsUs = withOnce ? durations(2 * pick(0, 10)) : std::vector<int>{};
    const std::vector<int> block = durations(2 * pick(1, 40));
    const std::vector<int> repeated = times(block, pick(2, maxCopies));
    r.Code.DurationsUs.insert(r.Code.DurationsUs.end(), repeated.begin(), repeated.end());
    return r;
}

std::vector<TCodeRecord> randomCodes(std::mt19937 &rng, int maxUs, int maxCopies, bool withOnce)
{
    std::vector<TCodeRecord> codes;
    for (int i = 0; i < 3; ++i)
        codes.push_back(randomCode(rng, i, maxUs, maxCopies, withOnce));
    return codes;
}

// Each duration comes back within half a step (a step at least), the names and count unchanged.
void expectWithin(const std::vector<TCodeRecord> &codes, const TImport &in, double stepUs)
{
    ASSERT_TRUE(in.Ok()) << in.Error.toStdString();
    ASSERT_EQ(in.Records.size(), codes.size());
    for (size_t i = 0; i < codes.size(); ++i) {
        const std::vector<int> &a = codes[i].Code.DurationsUs;
        const std::vector<int> &b = in.Records[i].Code.DurationsUs;
        EXPECT_EQ(in.Records[i].Name, codes[i].Name);
        ASSERT_EQ(b.size(), a.size()) << "code " << i;
        for (size_t k = 0; k < a.size(); ++k)
            ASSERT_NEAR(b[k], std::max<double>(a[k], stepUs / 2), stepUs / 2 + 1) << "code " << i << " duration " << k;
    }
}

TEST(Broadlink, KeepsDurationsToOneTickAndTheRepeatCount)
{
    const unsigned seed = 8192;
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    for (int round = 0; round < 200; ++round) {
        const std::vector<TCodeRecord> codes = randomCodes(rng, 100000, 256, false);
        const bool hex = round % 2 == 0;
        const TExport out = hex ? ExportBroadlinkHex(codes) : ExportBroadlink(codes);
        ASSERT_TRUE(out.Error.isEmpty()) << out.Error.toStdString();
        const TImport in = ImportBroadlink(out.Text);
        expectWithin(codes, in, BroadlinkTickUs);
        // The carrier is not in a packet: the export says so when a code had one.
        const bool carried = std::any_of(codes.begin(), codes.end(), [](const TCodeRecord &r) { return r.Code.CarrierHz != 0; });
        EXPECT_EQ(out.Note.isEmpty(), !carried);
        for (const TCodeRecord &r : in.Records)
            EXPECT_EQ(r.Code.CarrierHz, 0);
    }
}

// Written copies come back as the repeat byte, not as a longer packet.
TEST(Broadlink, CopiesAreWrittenAsTheRepeatByte)
{
    QByteArray packet;
    TIrCode code;
    code.DurationsUs = times({525, 1051, 1576, 2102}, 4);
    ASSERT_FALSE(WriteBroadlinkPacket(code, packet).has_value());
    EXPECT_EQ(packet.toHex(), "260304001020304" "00d05");
}

TEST(Broadlink, LongestDurationAndBeyond)
{
    QByteArray packet;
    TIrCode code;
    code.DurationsUs = {2151983};
    ASSERT_FALSE(WriteBroadlinkPacket(code, packet).has_value());
    EXPECT_EQ(packet.toHex(), "2600030000ffff0d05");
    code.DurationsUs = {2151984};
    EXPECT_EQ(WriteBroadlinkPacket(code, packet).value_or(QString()).toStdString(), "时长 2151984 微秒超过博联的上限 2151967 微秒");
}

TEST(GlobalCache, KeepsDurationsToOnePeriodAndTheRepeatShape)
{
    const unsigned seed = 38000;
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    for (int round = 0; round < 200; ++round) {
        const std::vector<TCodeRecord> codes = randomCodes(rng, 60000, 50, true);
        const TExport out = ExportGlobalCache(codes);
        ASSERT_TRUE(out.Error.isEmpty()) << out.Error.toStdString();
        const TImport in = ImportGlobalCache(out.Text);
        ASSERT_TRUE(in.Ok()) << in.Error.toStdString();
        for (size_t i = 0; i < codes.size(); ++i) {
            const int hz = codes[i].Code.CarrierHz != 0 ? codes[i].Code.CarrierHz : GlobalCacheDefaultHz;
            EXPECT_EQ(in.Records.at(i).Code.CarrierHz, hz);
            expectWithin({codes[i]}, TImport{{in.Records[i]}, {}, {}}, 1e6 / hz);
        }
    }
}

TEST(GlobalCache, CopiesAreWrittenAsRepeatAndOffset)
{
    TCodeRecord r = Record("a", {9000, 4500}, 40000);
    for (int i = 0; i < 3; ++i)
        r.Code.DurationsUs.insert(r.Code.DurationsUs.end(), {500, 1500, 600, 40000});
    EXPECT_EQ(ExportGlobalCache({r}).Text, "# a\nsendir,1:1,1,40000,3,3,360,180,20,60,24,1600\n");
}

TEST(GlobalCache, CarrierOutsideTheBlastersRangeIsRefused)
{
    const TExport out = ExportGlobalCache({Record("a", {100, 200}, 600000)});
    EXPECT_TRUE(out.Text.isEmpty());
    EXPECT_EQ(out.Error.toStdString(), "编码 a：载波 600000 赫兹不在 Global Caché 的 15000 到 500000 赫兹之内");
}

// Tasmota's compact form as its logger writes it: numbers for new values, letters for old ones.
QByteArray tasmotaCompact(const TIrCode &code)
{
    QByteArray out = QByteArray::number(code.CarrierHz) + ',';
    std::vector<int> written;
    for (size_t i = 0; i < code.DurationsUs.size(); ++i) {
        const int us = code.DurationsUs[i];
        const auto at = std::find(written.begin(), written.end(), us);
        if (at != written.end()) {
            out += static_cast<char>((i % 2 == 0 ? 'A' : 'a') + (at - written.begin()));
            continue;
        }
        out += (i % 2 == 0 ? '+' : '-') + QByteArray::number(us);
        if (written.size() < 26)
            written.push_back(us);
    }
    return out;
}

TEST(Tasmota, CompactAndPlainFormsKeepEveryMicrosecond)
{
    const unsigned seed = 9185;
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    for (int round = 0; round < 200; ++round) {
        TCodeRecord r = randomCode(rng, 1, round % 2 == 0 ? 40 : 200000, 5, true);
        r.Code.CarrierHz = std::uniform_int_distribution<int>(10000, 1000000)(rng);
        QByteArray plain = QByteArray::number(r.Code.CarrierHz);
        for (int us : r.Code.DurationsUs)
            plain += ',' + QByteArray::number(us);
        for (const QByteArray &line : {tasmotaCompact(r.Code), "IRsend " + plain}) {
            const TImport in = ImportTasmota("# code 1\n" + line);
            ASSERT_TRUE(in.Ok()) << in.Error.toStdString() << "\n" << line.toStdString();
            ASSERT_EQ(in.Records.size(), 1u);
            EXPECT_EQ(in.Records[0], r) << line.toStdString();
        }
    }
}

// The capture Tasmota's documentation gives for its compact form: a Pioneer frame and its repeat,
// 135 durations, that every letter reaches.
TEST(Tasmota, DocumentedCompactCaptureReadsWhole)
{
    const TImport in = ImportTasmota(
        "0,+8570-4240+550-1580C-510+565-1565F-505Fh+570gFhIdChIgFeFgFgIhFgIhF-525C-1560IhIkI-520ChFhFhFgFhIkIhIgIgIkIkI-"
        "25270A-4225IkIhIgIhIhIkFhIkFjCgIhIkIkI-500IkIhIhIkFhIgIl+545hIhIoIgIhIkFhFgIkIgFgI");
    ASSERT_TRUE(in.Ok()) << in.Error.toStdString();
    const std::vector<int> &d = in.Records.at(0).Code.DurationsUs;
    ASSERT_EQ(d.size(), 135u);
    EXPECT_EQ((std::vector<int>(d.begin(), d.begin() + 8)), (std::vector<int>{8570, 4240, 550, 1580, 550, 510, 565, 1565}));
    EXPECT_EQ((std::vector<int>(d.begin() + 67, d.begin() + 70)), (std::vector<int>{25270, 8570, 4225}));
    EXPECT_EQ(d.back(), 570);
}

INSTANTIATE_TEST_SUITE_P(
    Blasters, GuessFormatTest,
    ::testing::Values(GuessCase{"Sendir", "# power\nsendir,1:1,1,38000,1,1,342,171\n", TCodeFormat::GlobalCache},
                      GuessCase{"BroadlinkBase64", "# power\n" + LearnedPacket + "\n", TCodeFormat::Broadlink},
                      GuessCase{"BroadlinkB64Prefix", "b64:JgAEABAgMEANBQ==\n", TCodeFormat::Broadlink},
                      GuessCase{"BroadlinkHex", "26000400102030400d05\n", TCodeFormat::Broadlink},
                      GuessCase{"HomeAssistantStore", HomeAssistantStore, TCodeFormat::BroadlinkStore},
                      GuessCase{"TasmotaCompact", "0,+9185-4490+650-500C\n", TCodeFormat::Tasmota},
                      GuessCase{"TasmotaPlain", "38000,9000,4500,560\n", TCodeFormat::Tasmota},
                      GuessCase{"TasmotaCommand", "IRsend 0,+9185-4490\n", TCodeFormat::Tasmota},
                      GuessCase{"RawStaysRaw", "9000,-4500,560\n", TCodeFormat::Raw},
                      GuessCase{"RawSignedStaysRaw", "+9000,-4500,+560\n", TCodeFormat::Raw}),
    [](const auto &info) { return info.param.name; });

// Every file a format writes is read back through the content guess, as the import menu reads it.
TEST(BlasterFormats, ExportsAreReadBackByGuessing)
{
    const std::vector<TCodeRecord> codes = {Record("a", {9000, 4500, 560, 40000}, 38000), Record("b", {300, 600, 900})};
    for (TCodeFormat format : {TCodeFormat::GlobalCache, TCodeFormat::Broadlink, TCodeFormat::BroadlinkHex}) {
        SCOPED_TRACE(FormatInfo(format).Filter.toStdString());
        const TExport out = ExportCodes(format, codes, "r");
        ASSERT_TRUE(out.Error.isEmpty()) << out.Error.toStdString();
        EXPECT_EQ(GuessFormat(out.Text), format == TCodeFormat::BroadlinkHex ? TCodeFormat::Broadlink : format);
        const TImport in = ImportCodes(out.Text);
        ASSERT_TRUE(in.Ok()) << in.Error.toStdString();
        EXPECT_EQ(in.Records.size(), codes.size());
    }
}

TEST(BlasterFormats, ReadOnlyFormatsRefuseToExport)
{
    for (TCodeFormat format : {TCodeFormat::Tasmota, TCodeFormat::BroadlinkStore}) {
        EXPECT_FALSE(FormatInfo(format).Exports);
        const TExport out = ExportCodes(format, {Record("a", {1, 2, 3})}, "r");
        EXPECT_TRUE(out.Text.isEmpty());
        EXPECT_TRUE(out.Error.contains(QString::fromUtf8("只能导入"))) << out.Error.toStdString();
    }
}

} // namespace
