#include "maker/trvclnk/linkstatistics.h"

namespace vestan::trvclnk {

void LinkStatistics::noteRoundTrip(double ms, double replyTimeoutMs)
{
    // The first measurement stands alone; later ones move it by an eighth,
    // so one slow reply does not swing it. A reply quicker by half a reply
    // time-out stands alone too: the estimate was taken across a lost
    // request and its repeat.
    ms = ms < 0 ? 0 : ms;
    roundTripMs = roundTripMs <= 0 || roundTripMs - ms >= replyTimeoutMs / 2
                      ? ms
                      : roundTripMs + (ms - roundTripMs) / 8;
}

QList<StatisticsLine> statisticsLines(const LinkStatistics &s)
{
    const auto n = [](uint64_t v) { return QString::number(v); };
    return {
        {QStringLiteral("Открытий порта"), n(s.opens)},
        {QStringLiteral("Неудачных открытий"), n(s.openFailures)},
        {QStringLiteral("Наборов номера"), n(s.dials)},
        {QStringLiteral("Неудачных наборов"), n(s.dialFailures)},
        {QStringLiteral("Запросов"), n(s.requests)},
        {QStringLiteral("Ответов"), n(s.replies)},
        {QStringLiteral("  под сомнением, прочитаны ещё раз"), n(s.doubtfulReplies)},
        {QStringLiteral("Неудачных попыток всего"), n(s.failedAttempts())},
        {QStringLiteral("  тайм-аут"), n(s.timeouts)},
        {QStringLiteral("  ошибка контрольной суммы"), n(s.crcErrors)},
        {QStringLiteral("  искажённый кадр"), n(s.malformed)},
        {QStringLiteral("  ответ больше буфера"), n(s.oversize)},
        {QStringLiteral("  ошибка передачи"), n(s.writeErrors)},
        {QStringLiteral("  сбой устройства"), n(s.deviceErrors)},
        {QStringLiteral("Чужих кадров (другой сетевой номер)"), n(s.foreignFrames)},
        {QStringLiteral("Запоздалых кадров"), n(s.strayFrames)},
        {QStringLiteral("Байт вне кадров"), n(s.garbageBytes)},
        {QStringLiteral("Передано байт"), n(s.bytesSent)},
        {QStringLiteral("Принято байт"), n(s.bytesReceived)},
        {QStringLiteral("Завершённых сеансов"), n(s.sessionsEnded)},
        {QStringLiteral("Обрывов сетевого соединения"), n(s.connectionsLost)},
        {QStringLiteral("Повторных соединений"), n(s.reconnects)},
        {QStringLiteral("Время оборота линии, мс"), QString::number(qRound64(s.roundTripMs))},
    };
}

} // namespace vestan::trvclnk
