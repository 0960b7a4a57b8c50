#include "net/Swp08Message.h"

#include <algorithm>

namespace corvantis::swp08 {

namespace {

constexpr std::size_t kTallyBytesPerMessage = 128;
constexpr std::size_t kTallyWordsPerMessage = 64;

std::uint8_t MatrixLevel(int matrix, int level)
{
    return static_cast<std::uint8_t>(((matrix & 0xF) << 4) | (level & 0xF));
}

std::uint8_t High(int number)
{
    return static_cast<std::uint8_t>((number >> 8) & 0xFF);
}
std::uint8_t Low(int number)
{
    return static_cast<std::uint8_t>(number & 0xFF);
}

// Multiplier byte of the general form: destination / 128 in bits 4-6, the other / 128 below.
std::uint8_t Multiplier(int destination, int other)
{
    return static_cast<std::uint8_t>((((destination >> 7) & 7) << 4) | ((other >> 7) & 7));
}

int NameLengthFromCode(std::uint8_t code)
{
    return code <= 3 ? 4 * (code + 1) : 0;
}

Request Invalid(std::string reason)
{
    Request request;
    request.reason = std::move(reason);
    return request;
}

} // namespace

Request ParseRequest(std::span<const std::uint8_t> data)
{
    if (data.empty())
        return Invalid("empty message");
    const bool extended = (data[0] & kExtended) != 0;
    const auto command = static_cast<Command>(data[0] & ~kExtended);
    Request request;
    request.command = command;
    request.form = extended ? Form::Extended : Form::General;

    std::size_t expected = 0;
    switch (command) {
    case Command::Interrogate:
        expected = extended ? 5 : 4;
        break;
    case Command::Connect:
    case Command::ProtectInterrogate:
    case Command::ProtectConnect:
    case Command::ProtectDisconnect:
        expected = extended ? 7 : 5;
        break;
    case Command::TallyDumpRequest:
        expected = extended ? 3 : 2;
        break;
    case Command::SourceNamesRequest:
    case Command::DestinationNamesRequest:
        if (extended)
            return Invalid("command " + std::to_string(data[0]) + " has no extended form here");
        expected = 3;
        break;
    default:
        return Invalid("command " + std::to_string(data[0]) + " is not answered");
    }
    if (data.size() != expected)
        return Invalid("command " + std::to_string(data[0]) + " with " +
                       std::to_string(data.size()) + " bytes where " + std::to_string(expected) +
                       " are due");

    if (command == Command::SourceNamesRequest || command == Command::DestinationNamesRequest) {
        request.matrix = data[1] >> 4;
        request.level = command == Command::SourceNamesRequest ? data[1] & 0xF : 0;
        request.nameLength = NameLengthFromCode(data[2]);
        if (request.nameLength == 0)
            return Invalid("name length code " + std::to_string(data[2]) + " is not 0 to 3");
    } else if (extended) {
        request.matrix = data[1];
        request.level = data[2];
        if (expected >= 5)
            request.destination = data[3] * 256 + data[4];
        if (expected >= 7) {
            const int second = data[5] * 256 + data[6];
            (command == Command::Connect ? request.source : request.device) = second;
        }
    } else {
        request.matrix = data[1] >> 4;
        request.level = data[1] & 0xF;
        if (expected >= 4)
            request.destination = ((data[2] >> 4) & 7) * 128 + (data[3] & 0x7F);
        if (expected >= 5) {
            const int second = (data[2] & 7) * 128 + (data[4] & 0x7F);
            (command == Command::Connect ? request.source : request.device) = second;
        }
    }
    request.valid = true;
    return request;
}

Bytes CrosspointAnswer(Command command, Form form, int matrix, int level, int destination,
                       int source)
{
    const auto code = static_cast<std::uint8_t>(command);
    if (form == Form::Extended)
        return {static_cast<std::uint8_t>(code | kExtended),
                Low(matrix),
                Low(level),
                High(destination),
                Low(destination),
                High(source),
                Low(source)};
    return {code, MatrixLevel(matrix, level), Multiplier(destination, source),
            static_cast<std::uint8_t>(destination & 0x7F),
            static_cast<std::uint8_t>(source & 0x7F)};
}

Bytes ProtectAnswer(Command command, Form form, int matrix, int level, int destination,
                    Protect state, int device)
{
    const auto code = static_cast<std::uint8_t>(command);
    const auto protect = static_cast<std::uint8_t>(state);
    if (form == Form::Extended)
        return {static_cast<std::uint8_t>(code | kExtended),
                Low(matrix),
                Low(level),
                protect,
                High(destination),
                Low(destination),
                High(device),
                Low(device)};
    return {code,
            MatrixLevel(matrix, level),
            protect,
            Multiplier(destination, device),
            static_cast<std::uint8_t>(destination & 0x7F),
            static_cast<std::uint8_t>(device & 0x7F)};
}

std::vector<Bytes> TallyDump(Form form, int matrix, int level, int first,
                             const std::vector<int> &sources)
{
    const int last = first + static_cast<int>(sources.size()) - 1;
    const int highestSource =
        sources.empty() ? 0 : *std::max_element(sources.begin(), sources.end());
    const bool byteForm = form == Form::General && last <= 0xFF && highestSource <= 0xFF;
    const std::size_t perMessage = byteForm ? kTallyBytesPerMessage : kTallyWordsPerMessage;
    std::vector<Bytes> messages;
    for (std::size_t start = 0; start < sources.size(); start += perMessage) {
        const std::size_t count = std::min(perMessage, sources.size() - start);
        const int destination = first + static_cast<int>(start);
        Bytes out;
        if (byteForm) {
            out = {static_cast<std::uint8_t>(Command::TallyDumpByte), MatrixLevel(matrix, level),
                   static_cast<std::uint8_t>(count), Low(destination)};
        } else if (form == Form::General) {
            out = {static_cast<std::uint8_t>(Command::TallyDumpWord), MatrixLevel(matrix, level),
                   static_cast<std::uint8_t>(count), High(destination), Low(destination)};
        } else {
            out = {static_cast<std::uint8_t>(static_cast<std::uint8_t>(Command::TallyDumpWord) |
                                             kExtended),
                   Low(matrix),
                   Low(level),
                   static_cast<std::uint8_t>(count),
                   High(destination),
                   Low(destination)};
        }
        for (std::size_t i = start; i < start + count; ++i) {
            if (!byteForm)
                out.push_back(High(sources[i]));
            out.push_back(Low(sources[i]));
        }
        messages.push_back(std::move(out));
    }
    return messages;
}

int NamesPerMessage(int nameLength)
{
    switch (nameLength) {
    case 4:
        return 32;
    case 8:
        return 16;
    case 12:
        return 10;
    case 16:
        return 8;
    default:
        return 0;
    }
}

std::vector<Bytes> NamesAnswer(Command command, int matrix, int level, int nameLength, int first,
                               const std::vector<std::string> &names)
{
    std::vector<Bytes> messages;
    const auto perMessage = static_cast<std::size_t>(NamesPerMessage(nameLength));
    if (perMessage == 0)
        return messages;
    const auto lengthCode = static_cast<std::uint8_t>(nameLength / 4 - 1);
    const std::uint8_t matrixByte =
        command == Command::SourceNames ? MatrixLevel(matrix, level) : MatrixLevel(matrix, 0);
    for (std::size_t start = 0; start < names.size(); start += perMessage) {
        const std::size_t count = std::min(perMessage, names.size() - start);
        const int number = first + static_cast<int>(start);
        Bytes out{
            static_cast<std::uint8_t>(command), matrixByte, lengthCode, High(number), Low(number),
            static_cast<std::uint8_t>(count)};
        for (std::size_t i = start; i < start + count; ++i) {
            const std::string &name = names[i];
            for (int c = 0; c < nameLength; ++c) {
                const auto ch = c < static_cast<int>(name.size())
                                    ? static_cast<unsigned char>(name[static_cast<std::size_t>(c)])
                                    : ' ';
                out.push_back(ch >= 0x20 && ch < 0x7F ? ch : '?');
            }
        }
        messages.push_back(std::move(out));
    }
    return messages;
}

} // namespace corvantis::swp08
