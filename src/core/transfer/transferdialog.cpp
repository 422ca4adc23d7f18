#include "transfer/transferdialog.h"

#include "common/cformat.h"

namespace corvane {

int TransferDialogPercent(int position, int lower, int upper)
{
    if (upper == lower)
        return 0;
    const long long percent = static_cast<long long>(position - lower) * 100 / (upper - lower);
    return percent == 100 ? 100 : static_cast<int>(percent % 100);
}

std::string TransferDialogTitle(int percent, const std::string& caption)
{
    return CFormat("%d%c %s", percent, '%', caption.c_str());
}

} // namespace corvane
