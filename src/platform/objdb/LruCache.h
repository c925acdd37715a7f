#pragma once
// A map of bounded size that forgets the entry used least recently: prepared statements and
// translated query pieces repeat, but a long day of sales must not keep every one ever made.
#include <QHash>
#include <QString>
#include <cstddef>
#include <list>
#include <optional>
#include <utility>

namespace objdb {

template <class Value> class LruCache {
public:
    explicit LruCache(size_t capacity) : m_capacity(capacity ? capacity : 1) { }
    LruCache(const LruCache&) = delete;
    LruCache& operator=(const LruCache&) = delete;

    // The entry, now the most recently used; null when absent. A key that shares its text
    // with the stored one (the same string handed in again, as a statement text kept by its
    // caller is) is found without hashing or comparing the text: the stored copy keeps that
    // text alive, so the same address can only be the same text.
    Value* find(const QString& key)
    {
        typename std::list<Entry>::iterator entry;
        if (auto same = m_byText.constFind(key.constData());
            same != m_byText.constEnd() && same.value()->first.size() == key.size()) {
            entry = same.value();
        } else {
            auto it = m_index.constFind(key);
            if (it == m_index.constEnd()) return nullptr;
            entry = it.value();
        }
        m_order.splice(m_order.begin(), m_order, entry);
        return &entry->second;
    }

    // Adds or replaces the entry; when that makes one too many, the least recently used one
    // is taken out and handed back, so that the caller can release what it holds.
    std::optional<Value> insert(const QString& key, Value value)
    {
        if (Value* there = find(key)) {
            *there = std::move(value);
            return std::nullopt;
        }
        m_order.emplace_front(key, std::move(value));
        m_index.insert(key, m_order.begin());
        m_byText.insert(m_order.front().first.constData(), m_order.begin());
        if (m_order.size() <= m_capacity) return std::nullopt;
        auto last = std::prev(m_order.end());
        m_index.remove(last->first);
        if (auto same = m_byText.find(last->first.constData()); same != m_byText.end() && same.value() == last)
            m_byText.erase(same);
        std::optional<Value> evicted(std::move(last->second));
        m_order.erase(last);
        return evicted;
    }

    size_t size() const { return m_order.size(); }
    size_t capacity() const { return m_capacity; }

    template <class F> void forEach(F f)
    {
        for (auto& e : m_order) f(e.second);
    }
    void clear()
    {
        m_order.clear();
        m_index.clear();
        m_byText.clear();
    }

private:
    using Entry = std::pair<QString, Value>;
    std::list<Entry> m_order;   // most recently used first
    QHash<QString, typename std::list<Entry>::iterator> m_index;
    QHash<const QChar*, typename std::list<Entry>::iterator> m_byText;   // the stored key's text
    size_t m_capacity;
};

}   // namespace objdb
