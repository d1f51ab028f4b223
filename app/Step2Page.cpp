#include "app/Step2Page.h"

namespace vorlune {

Step2Page::~Step2Page() { Destroy(); }

void Step2Page::LoadSong(const std::wstring& path)
{
    loadedPath_ = path;
    ++songLoads_;
}

}  // namespace vorlune
