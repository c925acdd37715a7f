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

template <class Value>
class LruCache {
public:
    explicit LruCache(size_t capacity) : m_capacity(capacity ? capacity : 1) {}
    LruCache(const LruCache&) = delete;
    LruCache& operator=(const LruCache&) = delete;

    // The entry, now the most recently used; null when absent.
    Value* find(const QString& key)
    {
        auto it = m_index.find(key);
        if (it == m_index.end()) return nullptr;
        m_order.splice(m_order.begin(), m_order, it.value());
        return &it.value()->second;
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
        if (m_order.size() <= m_capacity) return std::nullopt;
        auto last = std::prev(m_order.end());
        m_index.remove(last->first);
        std::optional<Value> evicted(std::move(last->second));
        m_order.erase(last);
        return evicted;
    }

    Value* mostRecent() { return m_order.empty() ? nullptr : &m_order.front().second; }
    size_t size() const { return m_order.size(); }
    size_t capacity() const { return m_capacity; }

    template <class F>
    void forEach(F f)
    {
        for (auto& e : m_order) f(e.second);
    }
    void clear()
    {
        m_order.clear();
        m_index.clear();
    }

private:
    using Entry = std::pair<QString, Value>;
    std::list<Entry> m_order;   // most recently used first
    QHash<QString, typename std::list<Entry>::iterator> m_index;
    size_t m_capacity;
};

}  // namespace objdb
