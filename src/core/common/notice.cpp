#include "core/common/notice.h"

#include <utility>

#include "core/common/ui_text.h"

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

int ReportFileNotWritten(const std::string& path, unsigned textId, unsigned captionId) {
    Notice notice;
    notice.file = path;
    notice.text = std::string(LoadUIText(textId)) + path;  // copied before the caption is loaded
    notice.caption = LoadUIText(captionId);
    notice.owner = platform::BoxOwner::MainWindow;
    notice.style = 0x30;  // MB_ICONWARNING
    return ReportNotice(notice);
}
