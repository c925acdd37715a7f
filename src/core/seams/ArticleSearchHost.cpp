#include "ArticleSearchHost.h"

namespace {
ArticleSearchHost* g_host = nullptr;
}

ArticleSearchHost* articleSearchHost() { return g_host; }
void setArticleSearchHost(ArticleSearchHost* host) { g_host = host; }
