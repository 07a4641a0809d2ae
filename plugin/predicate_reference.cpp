#include "predicate_reference.h"

#include <algorithm>
#include <cstring>

std::vector<const PredicateRow*> rowsOf(const PredicateLibrary& library)
{
    std::vector<const PredicateRow*> rows;
    for (std::size_t k = 0; k < PREDICATE_ROW_COUNT; ++k)
        rows.push_back(&PREDICATE_ROWS[k]);
    try {
        const std::vector<std::string>& symbols = library.predicates();
        if (symbols.empty()) // no plug-in of ours: nothing of it is in the table
            return {};
        for (const std::string& symbol : symbols)
            if (rowFor(rows, symbol) == nullptr)
                return {};
    } catch (const LoadError&) {
        return {};
    }
    return rows;
}

const PredicateRow* rowFor(const std::vector<const PredicateRow*>& rows, const std::string& symbol)
{
    auto found = std::find_if(rows.begin(), rows.end(), [&](const PredicateRow* row) { return symbol == row->symbol; });
    return found == rows.end() ? nullptr : *found;
}

std::string slotName(const std::string& slots, std::size_t k)
{
    std::size_t begin = 0;
    for (std::size_t n = 0; n < k && begin != std::string::npos; ++n)
        if ((begin = slots.find(',', begin)) != std::string::npos)
            ++begin;
    begin = begin == std::string::npos ? std::string::npos : slots.find_first_not_of(' ', begin);
    return begin == std::string::npos ? "it" : slots.substr(begin, slots.find_first_of(" ,", begin) - begin);
}

SlotKind slotKind(const PredicateRow& row, std::size_t k)
{
    if (k == 0 && std::strncmp(row.symbol, "evalR_", 6) == 0)
        return SlotKind::Formula;
    return row.kinds[k] == 'i' ? SlotKind::Integer : row.kinds[k] == 'n' ? SlotKind::RealOrInteger : SlotKind::Real;
}
