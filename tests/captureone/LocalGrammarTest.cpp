// The local reading of requests: one table per area of the grammar, each row a phrase and the action it
// yields (or none, or the question it asks), and every row that yields an action run in the simulator.
#include "DispatchAction.h"
#include "captureone/CommandVocabulary.h"
#include "captureone/LocalCommands.h"
#include "support/SimulatorDispatcherFixture.h"

#include <QFile>
#include <QJsonArray>
#include <gtest/gtest.h>

using namespace orbix;

namespace {

struct Row {
    const char* phrase;
    const char* reading; // the action's summary, "none" or "ask:" and the question
};

QString readingOf(const QString& phrase) {
    const auto reading = localcommands::read(phrase);
    if (!reading) {
        return QStringLiteral("none");
    }
    if (const auto* question = std::get_if<LocalQuestion>(&*reading)) {
        return QStringLiteral("ask:") + question->text();
    }
    return localcommands::summary(std::get<ComputerUseArguments>(*reading));
}

const std::vector<std::pair<const char*, std::vector<Row>>>& areas() {
    static const std::vector<std::pair<const char*, std::vector<Row>>> tables{
        {"actions",
         {
             {"launch capture one", "open_app|app=launch capture one"},
             {"which adjustments are available", "c1_get_capabilities"},
             {"auto-adjust the selection", "c1_auto_adjust"},
             {"clone this photo", "c1_clone_variant"},
             {"sync the adjustments", "c1_copy_apply_adjustments"},
             {"rotate counterclockwise", "c1_rotate|text=left"},
             {"turn the photo right", "c1_rotate|text=right"},
             {"crop to the maximum", "c1_maximum_crop"},
             {"use the Matte preset", "c1_apply_style|preset=Matte"},
             {"import photos in ~/Shoot", "c1_import_folder|folder=HOME/Shoot"},
             {"flag this photo", "c1_set_pick|text=pick"},
             {"unflag it", "c1_set_pick|text=unpick"},
             {"reject this", "c1_set_pick|text=reject"},
             {"give it three stars", "c1_set_rating|value=3"},
             {"capture one rate the selected photo 4 stars", "c1_set_rating|value=4"},
             {"queue it for processing", "c1_process"},
             {"what's selected", "c1_get_status"},
             {"start over", "c1_reset_adjustments"},
             {"reset exposure", "none"},
             {"start over in capture one", "c1_reset_adjustments"},
             {"what time is it", "none"},
             {"", "none"},
             {" -+ ", "none"},
         }},
        {"sliders and aliases",
         {
             {"set clarity to 20", "c1_set_adjustment|slider=clarity amount|value=20|relative=false"},
             {"vibrance 15", "c1_set_adjustment|slider=saturation|value=15|relative=false"},
             {"set b&w red to 20",
              "c1_set_adjustment|slider=black and white red sensitivity|value=20|relative=false"},
             {"set midtone saturation to 15",
              "c1_set_adjustment|slider=color balance midtone saturation|value=15|relative=false"},
             {"color noise reduction 60",
              "c1_set_adjustment|slider=noise reduction color|value=60|relative=false"},
             {"set the clarity method to punch",
              "c1_set_adjustment|slider=clarity method|text=punch|relative=false"},
             {"flip it horizontally", "c1_set_adjustment|slider=flip|text=horizontal|relative=false"},
             {"make it black and white", "c1_set_adjustment|slider=black and white|text=true|relative=false"},
             {"turn off black and white", "c1_set_adjustment|slider=black and white|text=false|relative=false"},
             {"set film curve to Linear Response",
              "c1_set_adjustment|slider=film curve|text=Linear Response|relative=false"},
             {"keystone horizontal -10", "c1_adjust_slider|slider=keystone horizontal|value=-10|relative=true"},
             {"straighten by 2 degrees", "c1_adjust_slider|slider=rotation|value=2|relative=true"},
         }},
        {"numbers and units",
         {
             {"set the white balance to fifty five hundred",
              "c1_set_adjustment|slider=temperature|value=5500|relative=false"},
             {"white balance 5500 K", "c1_set_adjustment|slider=temperature|value=5500|relative=false"},
             {"set exposure to minus one point five",
              "c1_set_adjustment|slider=exposure|value=-1.5|relative=false"},
             {"exposure minus half a stop", "c1_adjust_slider|slider=exposure|value=-0.5|relative=true"},
             {"set saturation to 10 percent", "c1_set_adjustment|slider=saturation|value=10|relative=false"},
             {"set the angle to 3°", "c1_set_adjustment|slider=rotation|value=3|relative=false"},
             {"set dehaze to 5,5", "c1_set_adjustment|slider=dehaze amount|value=5.5|relative=false"},
         }},
        {"relative words",
         {
             {"make it warmer", "c1_adjust_slider|slider=temperature|value=500|relative=true"},
             {"capture one make it warmer", "c1_adjust_slider|slider=temperature|value=500|relative=true"},
             {"a bit brighter", "c1_adjust_slider|slider=exposure|value=0.15|relative=true"},
             {"a lot darker", "c1_adjust_slider|slider=exposure|value=-0.6|relative=true"},
             {"two stops brighter", "c1_adjust_slider|slider=exposure|value=2|relative=true"},
             {"much less contrast", "c1_adjust_slider|slider=contrast|value=-20|relative=true"},
             {"less haze", "c1_adjust_slider|slider=dehaze amount|value=10|relative=true"},
             {"more vignette", "c1_adjust_slider|slider=vignetting amount|value=-0.5|relative=true"},
             {"add 10 to clarity", "c1_adjust_slider|slider=clarity amount|value=10|relative=true"},
             {"lower the whites by five", "c1_adjust_slider|slider=white recovery|value=-5|relative=true"},
         }},
        {"colour names",
         {
             {"tag it red", "c1_set_color_tag|value=1"},
             {"colour tag blue", "c1_set_color_tag|value=5"},
             {"mark it purple", "c1_set_color_tag|value=7"},
             {"give it a pink tag", "c1_set_color_tag|value=6"},
             {"tag the selected photo blue", "c1_set_color_tag|value=5"},
             {"remove the color tag", "c1_set_color_tag|value=0"},
             {"red white point 250", "c1_set_adjustment|slider=level highlight red|value=250|relative=false"},
         }},
        {"crop",
         {
             {"crop to 4:5", "c1_set_crop|text=aspect=4:5"},
             {"crop sixteen by nine", "c1_set_crop|text=aspect=16:9"},
             {"crop to 16x9", "c1_set_crop|text=aspect=16:9"},
             {"square crop", "c1_set_crop|text=aspect=1:1, orientation=square"},
             {"crop to 4:5 portrait", "c1_set_crop|text=aspect=4:5, orientation=portrait"},
             {"crop to landscape", "c1_set_crop|text=orientation=landscape"},
             {"set crop to original", "c1_set_crop|text=aspect=Original"},
             {"crop", "none"},
         }},
        {"layers and masks",
         {
             {"add a layer called Dodge", "c1_create_layer|text=Dodge"},
             {"add an adjustment layer called \"Sky Fix\"", "c1_create_layer|text=Sky Fix"},
             {"new layer", "c1_create_layer|text="},
             {"layer opacity 50 percent", "c1_set_layer|text=opacity=50"},
             {"rename the layer to Sky", "c1_set_layer|text=name=Sky"},
             {"turn off the layer", "c1_set_layer|text=enabled=false"},
             {"show the layer", "c1_set_layer|text=enabled=true"},
             {"fill the mask", "c1_mask|text=fill"},
             {"feather the mask twenty", "c1_mask|text=feather 20"},
             {"refine mask 30", "c1_mask|text=refine 30"},
             {"clear the luma range", "c1_mask|text=clear luma range"},
             {"invert the mask", "c1_mask|text=invert"},
         }},
        {"several adjustments",
         {
             {"set exposure to 0.5 and contrast to 10", "c1_adjust_sliders|text=exposure=0.5, contrast=10"},
             {"white balance 5500 and tint 4", "c1_adjust_sliders|text=temperature=5500, tint=4"},
             {"exposure minus zero point three and contrast fifteen",
              "c1_adjust_sliders|text=exposure=-0.3, contrast=15"},
             {"set clarity method to punch and clarity to 30",
              "c1_adjust_sliders|text=clarity method=punch, clarity amount=30"},
             {"increase clarity by 10 and structure by 5", "none"},
         }},
        {"questions",
         {
             {"set exposure", "ask:To what value?"},
             {"change the clarity", "ask:To what value?"},
             {"tag it", "ask:Which colour?"},
             {"rate it", "ask:How many stars?"},
         }},
    };
    return tables;
}

} // namespace

TEST(LocalGrammar, EveryAreaReadsItsTable) {
    for (const auto& [area, rows] : areas()) {
        for (const Row& row : rows) {
            QString expected = QString::fromUtf8(row.reading);
            expected.replace(QStringLiteral("HOME"), QDir::homePath());
            EXPECT_EQ(readingOf(QString::fromUtf8(row.phrase)), expected) << area << ": " << row.phrase;
        }
    }
}

TEST(LocalGrammar, EveryLocalActionOfTheTableHasPhrases) {
    QSet<QString> read;
    for (const auto& [area, rows] : areas()) {
        for (const Row& row : rows) {
            read << QString::fromUtf8(row.reading).section(QLatin1Char('|'), 0, 0);
        }
    }
    for (const ComputerUseActionEntry& entry : computerUseActions()) {
        EXPECT_EQ(&computerUseAction(entry.action), &entry);
        EXPECT_EQ(vocabulary::isLocalAction(entry.action), read.contains(entry.name))
            << entry.name.toStdString();
    }
}

TEST(LocalGrammar, AnAnswerCompletesTheQuestionOrIsNoAnswer) {
    const auto question = [](const char* phrase) {
        return std::get<LocalQuestion>(*localcommands::read(phrase));
    };
    const auto answered = [](const LocalQuestion& q, const char* text) {
        const auto arguments = localgrammar::answer(q, QString::fromUtf8(text));
        return arguments ? localcommands::summary(*arguments) : QStringLiteral("none");
    };
    EXPECT_EQ(answered(question("set exposure"), "minus zero point five"),
              "c1_set_adjustment|slider=exposure|value=-0.5|relative=false");
    EXPECT_EQ(answered(question("tag it"), "green"), "c1_set_color_tag|value=4");
    EXPECT_EQ(answered(question("rate it"), "4 stars"), "c1_set_rating|value=4");
    EXPECT_EQ(answered(question("tag it"), "make it warmer"), "none");
    EXPECT_EQ(answered(question("set exposure"), "actually set the contrast to 5 instead"), "none");
}

namespace {

class LocalGrammarEndToEnd : public ::testing::Test, protected test::SimulatorDispatcherFixture {};

} // namespace

TEST_F(LocalGrammarEndToEnd, EveryRowRunsInTheSimulator) {
    ASSERT_TRUE(QFile::link(QStringLiteral(ORBIX_SIMULATOR_BUNDLE_DIR "/Capture One Simulator.app"),
                            applications.filePath(QStringLiteral("Capture One 23.app"))));
    simulator.command({"reset", "--variants", "2", "--select", "1,2"});
    simulator.command({"add-style", "Matte", "contrast=12"});
    // The import row's folder, somewhere of the test's own.
    const QTemporaryDir shoot;
    test::writeFile(shoot.filePath("frame.jpg"), "x");
    int ran = 0;
    int actionRows = 0;
    for (const auto& [area, rows] : areas()) {
        for (const Row& row : rows) {
            actionRows +=
                row.reading != std::string_view("none") && !std::string_view(row.reading).starts_with("ask:");
            const auto reading =
                localcommands::read(QString::fromUtf8(row.phrase).replace("~/Shoot", shoot.path()));
            if (!reading || !std::holds_alternative<ComputerUseArguments>(*reading)) {
                continue;
            }
            const ComputerUseArguments arguments = std::get<ComputerUseArguments>(*reading);
            const ComputerUseResult result =
                test::dispatchAction(dispatcher, "", [&](ComputerUseArguments& a) { a = arguments; });
            EXPECT_TRUE(result.status.succeeded())
                << area << ": " << row.phrase << " → " << result.summary.toStdString();
            ++ran;
        }
    }
    EXPECT_EQ(ran, actionRows);
    const QJsonObject first = simulator.variants()[0].toObject();
    EXPECT_EQ(first.value("rating").toInt(), 4);
    QStringList layers;
    for (const QJsonValue& layer : first.value("layers").toArray()) {
        layers << layer.toObject().value("name").toString();
    }
    EXPECT_TRUE(layers.contains("Dodge") && layers.contains("Sky")) << layers.join(", ").toStdString();
    EXPECT_EQ(first.value("colorTag").toInt(), 0) << "the last tag row removed the tag";
    EXPECT_EQ(first.value("cropAspectRatio").toString(), "Original");
}
