#include "configdoc/corvanedoc.h"

namespace corvane {

CCorvaneDoc::CCorvaneDoc() = default;

CCorvaneDoc::~CCorvaneDoc() = default;

bool CCorvaneDoc::OnNewDocument()
{
    clearValues();
    currentDirectory_ = -1;
    commPort = 1;
    controllerAddress = 1;
    updateAllViews();
    runContact();
    return true;
}

void CCorvaneDoc::clearValues()
{
    images_.clear();
    for (DBParam& p : chain_.all())
        p.clearHasValue();
}

int CCorvaneDoc::valueCount() const
{
    int n = 0;
    for (const DBParam& p : chain_.all())
        n += p.hasValue() ? 1 : 0;
    return n;
}

void CCorvaneDoc::setCurrentDirectory(int directory)
{
    currentDirectory_ = directory;
    updateAllViews();
}

bool CCorvaneDoc::setValue(DBParam& p, std::string_view text, int level)
{
    if (!p.SetValueFromText(images_, text))
        return false;
    if (level > 0 && p.hasSecurityLevel())
        p.SetSecurityLevel(images_, level);
    p.setHasValue();
    return true;
}

void CCorvaneDoc::setPathName(const std::string& path)
{
    pathName_ = path;
    auto slash = path.find_last_of('/');
    title_ = slash == std::string::npos ? path : path.substr(slash + 1);
    if (title_.empty())
        title_ = "Untitled";
}

void CCorvaneDoc::runContact()
{
    if (hooks_)
        hooks_->contact(*this);
}

void CCorvaneDoc::updateAllViews()
{
    if (onViewsChanged)
        onViewsChanged();
}

} // namespace corvane
