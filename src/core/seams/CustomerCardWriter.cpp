#include "CustomerCardWriter.h"

namespace {
CustomerCardWriter*& registered()
{
    static CustomerCardWriter* writer = nullptr;
    return writer;
}

CustomerCardReader*& registeredReader()
{
    static CustomerCardReader* reader = nullptr;
    return reader;
}
}

CustomerCardWriter* customerCardWriter() { return registered(); }

void setCustomerCardWriter(CustomerCardWriter* writer) { registered() = writer; }

CustomerCardReader* customerCardReader() { return registeredReader(); }

void setCustomerCardReader(CustomerCardReader* reader) { registeredReader() = reader; }
