#include "core/common/notice.h"

#include <utility>

namespace {
NoticeSink& Sink() {
    static NoticeSink sink;
    return sink;
}
}  // namespace

void SetNoticeSink(NoticeSink sink) { Sink() = std::move(sink); }

int ReportNotice(const Notice& notice) {
    const NoticeSink& sink = Sink();
    return sink ? sink(notice) : 1;
}
