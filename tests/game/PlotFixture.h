#pragma once
// Plot tests: a plot read from XML in a context that holds the test's signal under id 5.

#include "common/CTempFolder.h"
#include "common/CTestSoundOutput.h"
#include "common/CWaveBytes.h"
#include "dsp/CSignal.h"
#include "game/CElement.h"
#include "game/CGameContext.h"
#include "platform/CApplication.h"
#include "platform/CButton.h"
#include "platform/CQtColor.h"
#include "platform/CText.h"

#include <QImage>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
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

// Reproducible white noise in [-scale / 2, scale / 2).
inline std::vector<float> Noise(int count, unsigned seed, float scale = 1.0f) {
    std::vector<float> samples(static_cast<std::size_t>(count));
    for (float& s : samples) {
        seed = seed * 1664525u + 1013904223u;
        s = (static_cast<float>(seed >> 8) / 16777216.0f - 0.5f) * scale;
    }
    return samples;
}

inline COLORREF PixelOf(const QImage& image, int x, int y) {
    return CQtColor::FromRgb(image.pixel(x, y));
}

inline int Count(const QImage& image, COLORREF colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += PixelOf(image, x, y) == colour;
    return count;
}

inline std::vector<float> Values(const float* first, int count) { return {first, first + count}; }

// The sound outputs play on a test device while this lives.
struct ScopedDevice {
    std::shared_ptr<CTestSoundOutput::Device> device = std::make_shared<CTestSoundOutput::Device>();
    CSoundOutput::Factory previous = CTestSoundOutput::Install(device);
    ~ScopedDevice() { CSoundOutput::SetFactory(previous); }
    void PlayOut(const dsp::CSignal& signal) const {
        while (signal.IsPlaying())
            device->FinishNext(std::chrono::milliseconds(20));
    }
};

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
    void ReadAndPrepare(std::unique_ptr<dsp::CSignal> signal, const std::string& xml,
                        DWORD style = WS_CHILD | WS_VISIBLE) {
        context.SetSignal(5, std::move(signal));
        ASSERT_EQ(Read(xml, style), game::ERR_NONE);
        ASSERT_EQ(plot->Prepare(), game::ERR_NONE);
    }
    void Show(const CRect& hostRect = CRect{0, 0, 1200, 600}) {
        if (!host.HasWindow()) {
            ASSERT_TRUE(host.Create(L"Host", L"", WS_VISIBLE, hostRect, nullptr, 0));
        }
        ASSERT_EQ(plot->CreateElementWindow(&host, 1), game::ERR_NONE);
        CApplication::ProcessMessages();
    }
    void PressButton(UINT id) {
        auto* button = dynamic_cast<CButton*>(plot->GetDlgItem(id));
        ASSERT_NE(button, nullptr);
        button->Click();
        CApplication::ProcessMessages();
    }
    QImage Grab() const { return plot->Widget()->grab().toImage(); }

    game::CGameContext context;
    std::unique_ptr<tinyxml2::XMLDocument> document;
    std::unique_ptr<Plot> plot;
    CWnd host;
};
