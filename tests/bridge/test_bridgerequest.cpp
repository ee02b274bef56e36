// Reading what automation systems publish: a table of payloads with the verdict each must get, and
// random payloads judged against an independent statement of the timing rules.
#include "core/bridgerequest.h"
#include "core/formats/pronto.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

#include <random>

namespace {

struct TSendCase {
    const char *Payload;
    const char *Problem; // part of the message for a bad request; nullptr when read
};

const TSendCase SendCases[] = {
    {R"({"timings":[9000,-4500,560],"modulation":38000,"repeat_count":0})", nullptr},
    {R"({"timings":[9000,-4500,560,-40000]})", nullptr},
    {R"({"timings":[9000.0,-4500,560]})", nullptr},
    {R"({"pronto":"0000 006D 0002 0000 0156 00AB 0015 0040"})", nullptr},
    {R"({"code":"tv-power"})", nullptr},
    {R"({"code":"tv-power","remote":"tv"})", nullptr},
    {R"({"protocol":"NEC","address":4,"command":8,"repeat_count":2})", nullptr},
    {R"({"timings":[500],"id":"a1"})", nullptr},
    {R"({garbage)", "malformed JSON"},
    {R"([9000,-4500])", "JSON object"},
    {R"("timings")", "JSON"},
    {R"({})", "give one of"},
    {R"({"timings":[500],"code":"x"})", "give only one of"},
    {R"({"timings":"9000 -4500"})", "array of integers"},
    {R"({"timings":[]})", "empty"},
    {R"({"timings":[9000,-4500.5,560]})", "timing 2 is not an integer"},
    {R"({"timings":[9000,"-4500"]})", "timing 2 is not an integer"},
    {R"({"timings":[9000,0,560]})", "timing 2 is zero"},
    {R"({"timings":[-9000,4500]})", "timing 1 must be a mark"},
    {R"({"timings":[9000,4500]})", "timing 2 must be a space"},
    {R"({"timings":[10000001]})", "timing 1 is not an integer"},
    {R"({"timings":[9000],"modulation":-1})", "modulation"},
    {R"({"timings":[9000],"repeat_count":-1})", "repeat_count"},
    {R"({"timings":[9000],"repeat_count":1.5})", "repeat_count"},
    {R"({"timings":[9000],"repeat_count":101})", "repeat_count"},
    {R"({"timings":[9000],"id":{"a":1}})", "\"id\""},
    {R"({"pronto":17})", "\"pronto\" must be a string"},
    {R"({"pronto":"0000 zz"})", "pronto"},
    {R"({"code":""})", "\"code\" must be"},
    {R"({"code":"x","remote":3})", "\"remote\""},
    {R"({"protocol":"NEC","address":4})", "\"address\" and \"command\""},
    {R"({"protocol":"NEC","address":4,"command":-8})", "\"address\" and \"command\""},
    {R"({"protocol":"NEC","address":4,"command":300})", "cannot encode"},
    {R"({"protocol":"Morse","address":4,"command":8})", "cannot encode"},
};

class SendRequestTable : public testing::TestWithParam<TSendCase> {};

TEST_P(SendRequestTable, Verdict)
{
    const TSendCase &c = GetParam();
    const TSendRequest request = ReadSendRequest(QByteArray(c.Payload));
    if (!c.Problem) {
        EXPECT_TRUE(request.Ok()) << c.Payload << " -> " << request.Error.toStdString();
        return;
    }
    EXPECT_FALSE(request.Ok()) << c.Payload;
    EXPECT_TRUE(request.Error.contains(QString::fromUtf8(c.Problem))) << c.Payload << " -> " << request.Error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Payloads, SendRequestTable, testing::ValuesIn(SendCases));

TEST(SendRequest, TimingsBecomeTheCodesDurations)
{
    const TSendRequest r = ReadSendRequest(R"({"timings":[9000,-4500,560],"modulation":38000,"repeat_count":3})");
    ASSERT_TRUE(r.Ok());
    EXPECT_EQ(r.Code.DurationsUs, (std::vector<int>{9000, 4500, 560}));
    EXPECT_EQ(r.Code.CarrierHz, 38000);
    EXPECT_EQ(r.RepeatCount, 3);
}

TEST(SendRequest, ProtocolIsEncodedAndProntoRead)
{
    const TSendRequest nec = ReadSendRequest(R"({"protocol":"NEC","address":4,"command":8})");
    ASSERT_TRUE(nec.Ok());
    EXPECT_EQ(nec.Code.DurationsUs.size(), 67u); // header, 32 bits, final mark
    const TSendRequest pronto = ReadSendRequest(R"({"pronto":"0000 006D 0002 0000 0156 00AB 0015 0040"})");
    ASSERT_TRUE(pronto.Ok());
    EXPECT_EQ(pronto.Code.DurationsUs.size(), 4u);
}

TEST(SendRequest, IdIsEchoedWheneverItCanBeRead)
{
    EXPECT_EQ(ReadSendRequest(R"({"id":"k7","timings":[0]})").Id, QJsonValue(QStringLiteral("k7")));
    EXPECT_EQ(ReadSendRequest(R"({"id":12,"timings":[]})").Id, QJsonValue(12));
    EXPECT_TRUE(ReadSendRequest(R"({"id":12,)").Id.isNull());
    const QJsonObject result = QJsonDocument::fromJson(ResultPayload(QJsonValue::Null, TRequestError::Busy, QStringLiteral("m"))).object();
    EXPECT_TRUE(result.value(QStringLiteral("id")).isNull());
    EXPECT_EQ(result.value(QStringLiteral("error")).toString(), QStringLiteral("busy"));
    EXPECT_FALSE(result.value(QStringLiteral("ok")).toBool(true));
}

TEST(SendRequest, OversizedPayloadIsRefusedUnread)
{
    QByteArray big = R"({"id":5,"timings":[)";
    while (big.size() <= MaxRequestBytes)
        big += "560,-560,";
    big += "560]}";
    const TSendRequest r = ReadSendRequest(big);
    EXPECT_FALSE(r.Ok());
    EXPECT_TRUE(r.Error.contains(QStringLiteral("over the limit")));
    EXPECT_TRUE(r.Id.isNull());
}

TEST(SendRequest, AtMostTwoThousandTimings)
{
    for (int n : {MaxRequestTimings, MaxRequestTimings + 1}) {
        QJsonArray timings;
        for (int i = 0; i < n; ++i)
            timings.append(i % 2 == 0 ? 500 : -500);
        const TSendRequest r = ReadSendRequest(QJsonDocument(QJsonObject{{QStringLiteral("timings"), timings}}).toJson());
        EXPECT_EQ(r.Ok(), n == MaxRequestTimings) << n;
    }
}

TEST(LearnRequest, Verdicts)
{
    struct TCase {
        const char *Payload;
        bool Ok;
    };
    const TCase cases[] = {
        {"{}", true},
        {R"({"save":"tv-power","remote":"tv","id":"l1","timeout":20})", true},
        {R"({"save":""})", false},
        {R"({"save":5})", false},
        {R"({"remote":"tv"})", false},
        {R"({"timeout":0})", false},
        {R"({"timeout":301})", false},
        {R"({"timeout":"10"})", false},
        {"", false},
        {"null", false},
    };
    for (const TCase &c : cases)
        EXPECT_EQ(ReadLearnRequest(QByteArray(c.Payload)).Ok(), c.Ok) << c.Payload;
    EXPECT_EQ(ReadLearnRequest(R"({"timeout":20})").TimeoutS, 20);
    EXPECT_EQ(ReadLearnRequest("{}").TimeoutS, DefaultLearnTimeoutS);
}

TEST(LearnedPayload, SignedTimingsProtocolAndReply)
{
    const TSendRequest nec = ReadSendRequest(R"({"protocol":"NEC","address":4,"command":8})");
    TIrCode code = nec.Code;
    code.ModuleReply = QByteArray("\xFF\x01\x00\xFD\x38\x16", 6);
    const QJsonObject learned = QJsonDocument::fromJson(LearnedPayload(code)).object();
    const QJsonArray timings = learned.value(QStringLiteral("timings")).toArray();
    ASSERT_EQ(timings.size(), 67);
    EXPECT_GT(timings[0].toInt(), 0);
    EXPECT_LT(timings[1].toInt(), 0);
    EXPECT_EQ(learned.value(QStringLiteral("protocol")).toString(), QStringLiteral("NEC"));
    EXPECT_EQ(learned.value(QStringLiteral("address")).toInt(), 4);
    EXPECT_EQ(learned.value(QStringLiteral("command")).toInt(), 8);
    EXPECT_EQ(learned.value(QStringLiteral("reply")).toString(), QStringLiteral("FF 01 00 FD 38 16"));
    const QJsonObject unknown = QJsonDocument::fromJson(LearnedPayload(TIrCode{{700, 300, 700}, 0, {}})).object();
    EXPECT_TRUE(unknown.value(QStringLiteral("protocol")).isNull());
}

// The timing rules, stated apart from the reader: integers, non-zero, at most 10 s, a mark first
// and alternating, at most 2000 of them.
bool timingsValid(const std::vector<double> &timings)
{
    if (timings.empty() || timings.size() > static_cast<size_t>(MaxRequestTimings))
        return false;
    for (size_t i = 0; i < timings.size(); ++i) {
        const double t = timings[i];
        if (t != static_cast<double>(static_cast<long long>(t)) || t == 0 || t > MaxRequestTimingUs || t < -MaxRequestTimingUs)
            return false;
        if ((t > 0) != (i % 2 == 0))
            return false;
    }
    return true;
}

TEST(SendRequestProperty, RandomTimingsAreJudgedByTheRules)
{
    std::mt19937 random(20261211);
    std::uniform_int_distribution<int> length(0, 40);
    std::uniform_int_distribution<int> magnitude(1, 60000);
    std::uniform_int_distribution<int> fault(0, 30);
    for (int round = 0; round < 3000; ++round) {
        std::vector<double> timings(length(random) == 40 ? MaxRequestTimings + fault(random) % 2 : length(random));
        for (size_t i = 0; i < timings.size(); ++i) {
            double t = magnitude(random) * (i % 2 == 0 ? 1.0 : -1.0);
            switch (fault(random)) {
            case 0: t = 0; break;
            case 1: t = -t; break;
            case 2: t += 0.25; break;
            case 3: t = (i % 2 == 0 ? 1.0 : -1.0) * (MaxRequestTimingUs + magnitude(random) % 2); break;
            default: break;
            }
            timings[i] = t;
        }
        QJsonArray array;
        for (double t : timings)
            array.append(t);
        const QByteArray payload =
            QJsonDocument(QJsonObject{{QStringLiteral("timings"), array}, {QStringLiteral("id"), round}}).toJson();
        const TSendRequest r = ReadSendRequest(payload);
        ASSERT_EQ(r.Ok(), timingsValid(timings)) << payload.left(400).toStdString() << " -> " << r.Error.toStdString();
        EXPECT_EQ(r.Id, QJsonValue(round));
        if (r.Ok()) {
            ASSERT_EQ(r.Code.DurationsUs.size(), timings.size());
            for (size_t i = 0; i < timings.size(); ++i)
                EXPECT_EQ(r.Code.DurationsUs[i], static_cast<int>(std::abs(timings[i])));
        }
    }
}

TEST(SendRequestProperty, RandomBytesGetAnAnswerWithAReason)
{
    std::mt19937 random(7);
    const QByteArray alphabet = R"({}[]":,-0123456789.eE timingsprontocodeid truefalsenull)";
    std::uniform_int_distribution<int> pick(0, static_cast<int>(alphabet.size()) - 1);
    std::uniform_int_distribution<int> length(0, 80);
    for (int round = 0; round < 5000; ++round) {
        QByteArray payload;
        for (int n = length(random); n > 0; --n)
            payload.append(alphabet[pick(random)]);
        const TSendRequest send = ReadSendRequest(payload);
        const TLearnRequest learn = ReadLearnRequest(payload);
        // A refusal always says why; a result can always be published for it.
        EXPECT_TRUE(send.Ok() || !send.Error.isEmpty());
        EXPECT_TRUE(learn.Ok() || !learn.Error.isEmpty());
        EXPECT_TRUE(QJsonDocument::fromJson(ResultPayload(send.Id, TRequestError::BadRequest, send.Error)).isObject());
    }
}

} // namespace
