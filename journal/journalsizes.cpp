#include "journal/journalsizes.h"

#include "session/session.h"

namespace vestan {

int RequestJournalSizes(Session &state, JournalSizes &sizes)
{
    RequestLayer &requests = state.requests;
    int result = requests.RequestSize(ObjJournalHeader, sizes.header, 1,
                                      QStringLiteral("Чтение размера заголовка журнала"));
    if (result == 0 && state.channel.running != 0 && !sizes.headerOnly)
        result = requests.RequestSize(ObjJournalData, sizes.data, 1,
                                      QStringLiteral("Чтение размера данных журнала"));
    return result;
}

QList<TransferPiece> journalPieces(const JournalSizes &sizes)
{
    QList<TransferPiece> pieces{
        {ObjJournalHeader, sizes.header, QStringLiteral("Чтение заголовка журнала")}};
    if (!sizes.headerOnly)
        pieces.append({ObjJournalData, sizes.data, QStringLiteral("Чтение данных журнала")});
    return pieces;
}

QString journalSizesText(const JournalSizes &sizes)
{
    return sizes.headerOnly ? QString::asprintf("Заголовок %lu", ulong(sizes.header))
                            : QString::asprintf("Заголовок %lu, данные %lu", ulong(sizes.header),
                                                ulong(sizes.data));
}

} // namespace vestan
