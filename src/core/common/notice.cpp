#include "core/common/notice.h"

#include "core/common/ui_text.h"

int ReportNotice(const NoticeSink& sink, const Notice& notice) { return sink ? sink(notice) : 1; }

int ReportFileNotWritten(const NoticeSink& sink, const std::string& path, unsigned textId, unsigned captionId,
                         const platform::Error& error) {
    Notice notice;
    notice.file = path;
    notice.text = LoadUIText(textId) + path;
    notice.caption = LoadUIText(captionId);
    notice.owner = platform::BoxOwner::MainWindow;
    notice.style = 0x30;  // MB_ICONWARNING
    notice.error = error;
    return ReportNotice(sink, notice);
}
