#pragma once
// Shared by the plot tests: a plot read from XML in a slide context that holds the test's
// signal under id 5, prepared, and shown in a host window when asked.

#include "dsp/CSignal.h"
#include "game/CGameContext.h"
#include "platform/CApplication.h"
#include "platform/CQtColor.h"

#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <memory>
#include <string>
#include <vector>

// A root signal of the samples, 16-bit mono.
inline std::unique_ptr<dsp::CSignal> MakeSignal(const std::vector<float>& samples,
                                                unsigned rate = 8000) {
    auto signal = std::make_unique<dsp::CSignal>();
    const dsp::CWaveFormat format{1, 1, rate, rate * 2, 2, 16, 0};
    signal->CreateFromSamples(format, samples.data(), static_cast<int>(samples.size()));
    return signal;
}

inline COLORREF PixelOf(const QImage& image, int x, int y) {
    return CQtColor::FromRgb(image.pixel(x, y));
}

template <typename Plot> class PlotFixture : public ::testing::Test {
protected:
    // A new plot read from the xml; -1 when the xml does not parse.
    int Read(const std::string& xml, DWORD style = WS_CHILD | WS_VISIBLE) {
        document = std::make_unique<tinyxml2::XMLDocument>(true, tinyxml2::COLLAPSE_WHITESPACE);
        if (document->Parse(xml.c_str()) != tinyxml2::XML_SUCCESS)
            return -1;
        plot = std::make_unique<Plot>(&context);
        CRect area{0, 0, 3000, 1000};
        return plot->ReadXml(*document->RootElement(), area, style);
    }
    // The signal becomes id 5; the plot is read from the xml and prepared.
    void ReadAndPrepare(std::unique_ptr<dsp::CSignal> signal, const std::string& xml) {
        context.SetSignal(5, std::move(signal));
        ASSERT_EQ(Read(xml), game::ERR_NONE);
        ASSERT_EQ(plot->Prepare(), game::ERR_NONE);
    }
    void Show(const CRect& hostRect = CRect{0, 0, 1200, 600}) {
        ASSERT_TRUE(host.Create(L"Host", L"", WS_VISIBLE, hostRect, nullptr, 0));
        ASSERT_EQ(plot->CreateElementWindow(&host, 1), game::ERR_NONE);
        CApplication::ProcessMessages();
    }
    QImage Grab() const { return plot->Widget()->grab().toImage(); }

    game::CGameContext context;
    std::unique_ptr<tinyxml2::XMLDocument> document;
    std::unique_ptr<Plot> plot;
    CWnd host;
};
