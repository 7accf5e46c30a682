#include "serial/SendJob.h"

#include "serial/PosixDevice.h"

TSendJob::TSendJob(std::shared_ptr<PosixDevice> device, std::string bytes)
    : device_(std::move(device)), bytes_(std::move(bytes)) {}

TSendJob::~TSendJob() {
    Cancel();
    Join();
}

void TSendJob::Run() {
    written_ = device_->Write(bytes_.data(), bytes_.size(), &cancel_, &written_);
}
