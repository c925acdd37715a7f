#include "ScriptError.h"

#include <QHash>

namespace vbs {

QString errorText(int number)
{
    static const QHash<int, QString> texts {
        {err::kInvalidCall, QStringLiteral("Chiamata di routine o argomento non validi")},
        {err::kOverflow, QStringLiteral("Overflow")},
        {err::kOutOfMemory, QStringLiteral("Memoria esaurita")},
        {err::kSubscript, QStringLiteral("Indice non incluso nell'intervallo")},
        {err::kFixedArray, QStringLiteral("Matrice fissa o temporaneamente bloccata")},
        {err::kDivisionByZero, QStringLiteral("Divisione per zero")},
        {err::kTypeMismatch, QStringLiteral("Tipo non corrispondente")},
        {err::kOutOfStringSpace, QStringLiteral("Spazio stringa esaurito")},
        {err::kOutOfStack, QStringLiteral("Spazio dello stack esaurito")},
        {err::kNotDefined, QStringLiteral("Sub o Function non definita")},
        {err::kPermissionDenied, QStringLiteral("Permesso negato")},
        {err::kObjectNotSet, QStringLiteral("Variabile oggetto non impostata")},
        {err::kForNotInitialized, QStringLiteral("Ciclo For non inizializzato")},
        {err::kInvalidNull, QStringLiteral("Utilizzo non valido di Null")},
        {err::kObjectRequired, QStringLiteral("Necessario oggetto")},
        {err::kCannotCreateObject, QStringLiteral("Impossibile creare l'oggetto")},
        {err::kNoSuchMember, QStringLiteral("L'oggetto non supporta questa propriet\u00E0 o metodo")},
        {err::kWrongArguments,
         QStringLiteral("Numero di argomenti errato o assegnazione di propriet\u00E0 non valida")},
        {err::kNotACollection, QStringLiteral("L'oggetto non \u00E8 un insieme")},
        {err::kUnsupportedType, QStringLiteral("La variabile utilizza un tipo di automazione non supportato")},
        {err::kUndefinedVariable, QStringLiteral("Variabile non definita")},
        {err::kIllegalAssignment, QStringLiteral("Assegnazione non valida")},
        {err::kItemNotFound,
         QStringLiteral(
             "Impossibile trovare l'elemento nell'insieme corrispondente al nome o al numero ordinale richiesto")},
        {err::kSyntax, QStringLiteral("Errore di sintassi")},
        {err::kExpectedLParen, QStringLiteral("Previsto '('")},
        {err::kExpectedRParen, QStringLiteral("Previsto ')'")},
        {err::kExpectedIdentifier, QStringLiteral("Previsto identificatore")},
        {err::kExpectedEquals, QStringLiteral("Previsto '='")},
        {err::kExpectedIf, QStringLiteral("Previsto 'If'")},
        {err::kExpectedTo, QStringLiteral("Previsto 'To'")},
        {err::kExpectedEnd, QStringLiteral("Previsto 'End'")},
        {err::kExpectedFunction, QStringLiteral("Previsto 'Function'")},
        {err::kExpectedSub, QStringLiteral("Previsto 'Sub'")},
        {err::kExpectedThen, QStringLiteral("Previsto 'Then'")},
        {err::kExpectedWend, QStringLiteral("Previsto 'Wend'")},
        {err::kExpectedLoop, QStringLiteral("Previsto 'Loop'")},
        {err::kExpectedNext, QStringLiteral("Previsto 'Next'")},
        {err::kExpectedCase, QStringLiteral("Previsto 'Case'")},
        {err::kExpectedSelect, QStringLiteral("Previsto 'Select'")},
        {err::kExpectedExpression, QStringLiteral("Prevista espressione")},
        {err::kExpectedStatement, QStringLiteral("Prevista istruzione")},
        {err::kExpectedEndOfStatement, QStringLiteral("Prevista fine istruzione")},
        {err::kExpectedInteger, QStringLiteral("Prevista costante intera")},
        {err::kExpectedWhileUntil, QStringLiteral("Previsto 'While', 'Until' o fine istruzione")},
        {err::kExpectedWith, QStringLiteral("Previsto 'With'")},
        {err::kInvalidCharacter, QStringLiteral("Carattere non valido")},
        {err::kUnterminatedString, QStringLiteral("Costante stringa non terminata")},
        {err::kNameRedefined, QStringLiteral("Nome ridefinito")},
        {err::kInvalidExit, QStringLiteral("Istruzione 'Exit' non valida")},
        {err::kExpectedIn, QStringLiteral("Previsto 'In'")},
        {err::kNotSupported, QStringLiteral("Istruzione non disponibile negli script")},
        {err::kTooComplex, QStringLiteral("Espressione o blocco troppo annidato")},
    };
    auto it = texts.constFind(number);
    if (it != texts.constEnd()) return *it;
    return QStringLiteral("Errore %1").arg(number);
}

ScriptError::ScriptError(int number, const QString& description, int line, int column)
    : AppError(number, QStringLiteral("Script"), description), line(line), column(column)
{ }

ScriptError ScriptError::limitStop(int number)
{
    // The stop's text is not in the table, so a script raising the same number never
    // shows it.
    ScriptError e(number,
                  number == err::kOutOfStack || number == err::kOutOfMemory
                      ? errorText(number)
                      : QStringLiteral("Script interrotto: superato il limite di esecuzione (ciclo senza fine?)"));
    e.engineStop = true;
    return e;
}

}   // namespace vbs
