// What the object lists of the reader (keywords, pages, links, ...) take from
// the store: which objects a list shows, and the keywords of a page.
#pragma once

class TZEBoggetto;

// Whether a list of the object's kind shows it before any filter of its own:
// live objects, except ebook links and property lists other than the reader's.
bool ListedByDefault(const TZEBoggetto& o);

// A page lists up to 20 keyword indices at record offsets 105..184; unused
// slots hold values that are not keyword indices.
constexpr int PageKeywordSlots = 20;
constexpr int PageKeywordOffset = 105;
bool PageHasKeyword(const TZEBoggetto& page, int keywordIndex);
