#include "AnsiCodec.h"

#include <atomic>
#include <utility>

AnsiCodec::AnsiCodec() = default;

AnsiCodec::AnsiCodec(QByteArray codePage)
    : m_codePage(std::move(codePage))
{
}

namespace {
const AnsiCodec systemCodec;
std::atomic<const AnsiCodec *> current{&systemCodec};
}

const AnsiCodec &ansiCodec()
{
    return *current.load();
}

void setAnsiCodec(const AnsiCodec *codec)
{
    current.store(codec ? codec : &systemCodec);
}
