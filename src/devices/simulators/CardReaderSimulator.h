#pragma once
// A magnetic card reader/writer played in software: it speaks the escape-command protocol
// of the serial card readers byte for byte and holds one card, whose tracks are kept as
// the bit streams a real card would carry. Text ("ISO") commands encode and decode the
// standard track alphabets with their parity and LRC; raw commands store and return the
// bits as they are, so a card written raw can be read as text and the other way round.
//
// answer() takes the bytes received so far and returns the reply, so the simulator can
// stand behind any byte pipe: a test plays it on a pseudo-terminal, the program's own
// reader code on the other side.
#include <QByteArray>
#include <QList>
#include <QString>
#include <mutex>
#include <optional>
#include <vector>

class CardReaderSimulator {
public:
    enum class Model {
        MSR106,   // text commands only
        MSR206HL,   // text and raw commands, coercivity and bits-per-character set-up
    };
    // Status characters of the replies.
    static constexpr char kOk = '0';
    static constexpr char kCardError = '1';   // no card, blank or unreadable track, text not writable
    static constexpr char kUnknownCommand = '2';

    explicit CardReaderSimulator(Model model);

    // Consumes the complete commands at the front of `pending` and returns the replies;
    // an incomplete command stays in `pending` until the rest arrives.
    QByteArray answer(QByteArray& pending);

    // --- The reader's behaviour.
    void setMute(bool mute);   // takes commands, never answers
    void setCardPresent(bool present);   // without a card, reads are never answered
    // The next `count` reads, writes or erases fail with `status`, leaving the card alone
    // (a failing read still sends the tracks it read).
    void failNextOperations(int count, char status = kCardError);

    // --- The card.
    void insertBlankCard();
    // Writes `text` on track 1 as the text commands would; false when the alphabet lacks
    // one of its characters.
    bool writeTrack1Text(const QString& text);
    // The text of track 1 decoded with its checks; empty optional when it fails them.
    std::optional<QString> track1Text() const;
    int track1BitCount() const;
    void flipTrack1Bit(int index);   // damages the card
    void truncateTrack1(int bitCount);   // a swipe that lost the rest of the track

    // --- What the reader was told.
    QList<QByteArray> commands() const;   // each complete command as received
    bool lowCoercivity() const;
    QByteArray bitsPerCharacter() const;   // the three bytes of the last set-up, empty before
    int resets() const;

private:
    using Bits = std::vector<bool>;
    struct Alphabet {
        int bitsPerChar;   // without parity
        char first;   // the character of code 0
        char start;
        char end;
    };
    static const Alphabet kTrack1;
    static const Alphabet kTrack23;

    // Length of the complete command at the front of `p` (0: incomplete).
    qsizetype commandLength(const QByteArray& p) const;
    QByteArray handle(const QByteArray& command);
    QByteArray textRead();
    QByteArray rawRead();
    bool textWrite(const QByteArray& block);
    bool rawWrite(const QByteArray& block);
    bool consumeFailure(char& status);
    bool cardBlank() const;

    static std::optional<Bits> encode(const QString& text, const Alphabet& a);
    static std::optional<QString> decode(const Bits& bits, const Alphabet& a);

    const Model m_model;
    mutable std::mutex m_mutex;
    bool m_mute = false;
    bool m_cardPresent = true;
    int m_failures = 0;
    char m_failureStatus = kCardError;
    Bits m_tracks[3];
    QList<QByteArray> m_commands;
    bool m_low = false;
    QByteArray m_bitsPerChar;
    int m_resets = 0;
};
