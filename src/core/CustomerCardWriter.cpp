#include "CustomerCardWriter.h"

namespace {
CustomerCardWriter*& registered()
{
    static CustomerCardWriter* writer = nullptr;
    return writer;
}
}

CustomerCardWriter* customerCardWriter() { return registered(); }

void setCustomerCardWriter(CustomerCardWriter* writer) { registered() = writer; }
