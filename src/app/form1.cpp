#include "app/form1.h"

#include <algorithm>
#include <string>

#include "runtime/calendar.h"

namespace tw {

namespace {

using controls::Font;
using controls::Geometry;

const Font kButtonFont{"Arial", 11.25, true, 204};

// The picture stored with the design for the tray control: the program's icon.
const Picture kTrayPicture{Picture::Type::Icon, kApplicationIconHandle};

// The tray control's properties as the window layout stores them.
class DesignedTrayProperties : public PropertyBag {
  public:
    std::optional<bool> readBool(const std::string& name) override {
        return name == "InTray" ? std::optional<bool>(false) : std::nullopt;
    }
    std::optional<Picture> readPicture(const std::string& name) override {
        return name == "TrayIcon" ? std::optional<Picture>(kTrayPicture) : std::nullopt;
    }
    std::optional<std::string> readString(const std::string& name) override {
        return name == "TrayTip" ? std::optional<std::string>("Vorede Vovode") : std::nullopt;
    }
};

}  // namespace

Form1::Form1(Services services)
    : Form("Form1", Geometry{0, 0, 8040, 7125}, kMainWindowHandle),
      Frame4("Frame4", &Form, {120, 1530, 7800, 1770}, 8),
      Option1("Option1", &Frame4, {240, 1275, 1185, 255}, 16),
      cboWeekly("cboWeekly", &Frame4, {1800, 1230, 4335, 345}, 14),
      Option2("Option2", &Frame4, {240, 795, 825, 255}, 13),
      Option3("Option3", &Frame4, {240, 345, 1455, 255}, 12),
      Text11("Text11", &Frame4, {3000, 300, 500, 345}, 11),
      Text2("Text2", &Frame4, {4320, 300, 500, 345}, 10),
      Text3("Text3", &Frame4, {1800, 300, 500, 345}, 9),
      dtpWeekly("dtpWeekly", &Frame4, {1800, 750, 4335, 375}, 15),
      Label5("Label5", &Frame4, {3600, 345, 540, 255}, 19),
      Label4("Label4", &Frame4, {4920, 345, 735, 255}, 18),
      Label3("Label3", &Frame4, {2400, 345, 450, 225}, 17),
      PushButton1("PushButton1", &Form, {120, 120, 7800, 405}, 4),
      Frame3("Frame3", &Form, {120, 3375, 7800, 735}, 7),
      Check4("Check4", &Frame3, {240, 300, 3810, 285}, 0),
      Check8("Check8", &Frame3, {4200, 300, 2100, 285}, 1),
      Frame2("Frame2", &Form, {120, 600, 7800, 870}, 6),
      ProgressBar1("ProgressBar1", &Frame2, {240, 300, 7305, 405}, 5),
      PushButton4("PushButton4", &Form, {120, 4230, 7800, 405}, 2),
      PushButton2("PushButton2", &Form, {120, 4740, 7800, 405}, 3),
      Frame5("Frame5", &Form, {120, 5265, 7800, 810}, 20),
      Label6("Label6", &Frame5, {240, 345, 4335, 255}, 21),
      Text4("Text4", &Frame5, {4680, 300, 500, 345}, 22),
      Label7("Label7", &Frame5, {5280, 345, 540, 255}, 23),
      PushButton5("PushButton5", &Frame5, {5940, 255, 1605, 405}, 24),
      Frame6("Frame6", &Form, {120, 6195, 7800, 810}, 25),
      Label8("Label8", &Frame6, {240, 345, 4335, 255}, 26),
      Text5("Text5", &Frame6, {4680, 300, 500, 345}, 27),
      Label9("Label9", &Frame6, {5280, 345, 2280, 255}, 28),
      Timer1("Timer1"),
      cSysTray1({services.notificationArea, services.windowHook, services.pump, services.clock},
                kTrayWindowHandle, kTrayPicture),
      services_(services) {
    readTrayProperties();
    setCaptions();
    setFontsAndAlignment();
    nameBoxesForAssistiveTechnology();
    setDesignState();
    addControls();
    connectHandlers();
    policy_.mode = chosenMode();
}

void Form1::readTrayProperties() {
    DesignedTrayProperties trayProperties;
    cSysTray1.readProperties(trayProperties);
}

void Form1::setCaptions() {
    Form.setCaption("Form1");
    Frame4.setCaption("Empty Schedule");
    Option1.setCaption(" Weekly:");
    for (const char* day :
         {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"}) {
        cboWeekly.addItem(day);
    }
    Option2.setCaption("Daily:");
    Option3.setCaption("Empty every:");
    Label5.setCaption("hour/s");
    Label4.setCaption("minute/s");
    Label3.setCaption("day/s");
    PushButton1.setCaption("Help");
    Frame3.setCaption("Startup Options");
    Check4.setCaption("Load this software on Windows startup");
    Check8.setCaption("Start in system tray");
    Frame2.setCaption("On. Next empty will occur in:");
    PushButton4.setCaption("Turn On");
    PushButton2.setCaption("Empty Trash Bin Now (Test)");
    Frame5.setCaption("Keep Recent Items");
    Label6.setCaption("Scheduled empties keep items deleted in the last");
    Label7.setCaption("day/s");
    PushButton5.setCaption("Show Journal");
    Frame6.setCaption("Trash Size");
    Label8.setCaption("Keep the Trash under");
    Label9.setCaption("GB, oldest items first");
}

void Form1::setFontsAndAlignment() {
    for (controls::TextBox* box : {&Text11, &Text2, &Text3, &Text4, &Text5}) box->setCentred(true);
    for (controls::PushButton* button : {&PushButton1, &PushButton4, &PushButton2, &PushButton5}) {
        button->setFont(kButtonFont);
    }
}

// Each box is named by its label, not by the frame around it.
void Form1::nameBoxesForAssistiveTechnology() {
    Text3.setAccessibleName(Label3.caption());
    Text11.setAccessibleName(Label5.caption());
    Text2.setAccessibleName(Label4.caption());
    Text4.setAccessibleName(Label6.caption() + " " + Label7.caption());
    Text5.setAccessibleName(Label8.caption() + " " + Label9.caption());
    dtpWeekly.setAccessibleName(Option2.caption());
    // The weekday list is named by its option, not heard as its value; the caption's leading
    // space is the designer's spacing, not part of the name.
    const std::string weekly = Option1.caption();
    cboWeekly.setAccessibleName(
        weekly.substr(std::min(weekly.find_first_not_of(' '), weekly.size())));
    ProgressBar1.setAccessibleName("Countdown to the next empty");
    Frame2.setAnnouncesCaption(true);
}

// Design state before any handler is connected: the window not shown until the load handler
// has run, "Empty every:" selected, the picker holding today's date without a time, the
// countdown timer enabled with interval 0.
void Form1::setDesignState() {
    Form.setVisible(false);
    Option3.setValue(true);
    dtpWeekly.setValue(DateValue{DateOf(services_.clock.now()), std::nullopt});
}

void Form1::addControls() {
    for (controls::Control* c : std::initializer_list<controls::Control*>{
             &Frame4,      &Option1,     &cboWeekly, &Option2, &Option3, &Text11,
             &Text2,       &Text3,       &dtpWeekly, &Label5,  &Label4,  &Label3,
             &PushButton1, &Frame3,      &Check4,    &Check8,  &Frame2,  &ProgressBar1,
             &PushButton4, &PushButton2, &Frame5,    &Label6,  &Text4,   &Label7,
             &PushButton5, &Frame6,      &Label8,    &Text5,   &Label9,  &Timer1}) {
        Form.add(*c);
    }
}

void Form1::connectHandlers() {
    Option1.onClick = [this] { Option1_Click(); };
    Option2.onClick = [this] { Option2_Click(); };
    Option3.onClick = [this] { Option3_Click(); };
    cboWeekly.onChange = [this] { cboWeekly_Change(); };
    cboWeekly.onClick = [this] { cboWeekly_Click(); };
    dtpWeekly.onChange = [this] { dtpWeekly_Change(); };
    dtpWeekly.onClick = [this] { dtpWeekly_Click(); };
    Text11.onChange = [this] { Text11_Change(); };
    Text2.onChange = [this] { Text2_Change(); };
    Text3.onChange = [this] { Text3_Change(); };
    Text11.onGotFocus = [this] { Text11_GotFocus(); };
    Text2.onGotFocus = [this] { Text2_GotFocus(); };
    Text3.onGotFocus = [this] { Text3_GotFocus(); };
    Text11.onLostFocus = [this] { Text11_LostFocus(); };
    Text2.onLostFocus = [this] { Text2_LostFocus(); };
    Text3.onLostFocus = [this] { Text3_LostFocus(); };
    Text2.onMouseMove = [this] { Text2_MouseMove(); };
    Text4.onChange = [this] { Text4_Change(); };
    Text4.onGotFocus = [this] { Text4_GotFocus(); };
    Text4.onLostFocus = [this] { Text4_LostFocus(); };
    Text5.onChange = [this] { Text5_Change(); };
    Text5.onGotFocus = [this] { Text5_GotFocus(); };
    Text5.onLostFocus = [this] { Text5_LostFocus(); };
    Timer1.onTimer = [this] { Timer1_Timer(); };
    PushButton4.onClick = [this] { PushButton4_Click(); };
    PushButton2.onClick = [this] { PushButton2_Click(); };
    PushButton1.onClick = [this] { PushButton1_Click(); };
    PushButton5.onClick = [this] { PushButton5_Click(); };
    for (controls::PushButton* button : {&PushButton1, &PushButton2, &PushButton4, &PushButton5}) {
        button->onMouseMove = [this] { PushButton_MouseMove(); };
    }
    for (controls::Frame* frame : {&Frame2, &Frame3, &Frame4, &Frame5, &Frame6}) {
        frame->onMouseMove = [this] { Frame_MouseMove(); };
    }
    Form.onMouseMove = [this] { Form_MouseMove(); };
    Form.onResize = [this] { Form_Resize(); };
    Check4.onClick = [this] { Check4_Click(); };
    Check8.onClick = [this] { Check8_Click(); };
    cSysTray1.MouseUp = [this](std::int16_t button, std::int32_t id) {
        cSysTray1_MouseUp(button, id);
    };
}

}  // namespace tw
