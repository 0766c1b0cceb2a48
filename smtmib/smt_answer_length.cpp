#include "smtmib/smt_answer_length.h"

#include "smtmib/smt_retrieval.h"

DWORD SmtAnswerLength(const uint8_t* buffer, DWORD answered) {
    constexpr DWORD kRecordHeader = 4;
    constexpr DWORD kAreaEnd = kAnswerAreaOffset + kAnswerAreaSize;
    DWORD offset = kAnswerAreaOffset;
    while (offset < answered && offset + kRecordHeader <= kAreaEnd) {
        if (offset + kRecordHeader > answered) return offset + kRecordHeader;
        const DWORD type = DWORD{buffer[offset]} << 8 | buffer[offset + 1];
        const DWORD length = DWORD{buffer[offset + 2]} << 8 | buffer[offset + 3];
        if (type == 0) break;
        const DWORD end = offset + kRecordHeader + length;
        if (end > kAreaEnd) break;
        if (end > answered) return end;
        offset = end;
    }
    return offset;
}
